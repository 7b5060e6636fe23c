#pragma once

#include "builder/OfficeDocument.h"

#include <com/sun/star/frame/XModel.hpp>

#include <memory>

class UnoLink;

// An open document through its model.
class UnoDocument : public OfficeDocument {
public:
    UnoDocument(std::shared_ptr<UnoLink> link,
                const css::uno::Reference<css::frame::XModel>& model);

    std::unique_ptr<OfficeController> getCurrentController() override;
    std::unique_ptr<OfficeStyles> styles() override;
    void storeToFile(const QString& path, const QString& filterName,
                     const OfficeArguments& filterData, int timeLimitMs,
                     const QString& replacing) override;
    void close() override;
    void lockControllers() override;
    void unlockControllers(int timeLimitMs) override;

private:
    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XModel> m_model;
};
