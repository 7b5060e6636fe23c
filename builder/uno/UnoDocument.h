#pragma once

#include "builder/OfficeDocument.h"

#include <com/sun/star/frame/XModel.hpp>

// An open document through its model.
class UnoDocument : public OfficeDocument {
public:
    explicit UnoDocument(const css::uno::Reference<css::frame::XModel>& model);

    std::unique_ptr<OfficeController> getCurrentController() override;
    void storeToUrl(const QString& url, const QString& filterName) override;
    void close() override;
    void lockControllers() override;
    void unlockControllers() override;

private:
    css::uno::Reference<css::frame::XModel> m_model;
};
