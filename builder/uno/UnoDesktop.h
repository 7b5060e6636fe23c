#pragma once

#include "builder/OfficeDesktop.h"

#include <com/sun/star/frame/XComponentLoader.hpp>

// The suite's Desktop through its component loader.
class UnoDesktop : public OfficeDesktop {
public:
    explicit UnoDesktop(const css::uno::Reference<css::frame::XComponentLoader>& loader);

    std::unique_ptr<OfficeDocument> loadComponentFromURL(const QString& url,
                                                         const QString& targetFrame,
                                                         short searchFlags,
                                                         const OfficeArguments& args) override;
    void terminate() override;

private:
    css::uno::Reference<css::frame::XComponentLoader> m_loader;
};
