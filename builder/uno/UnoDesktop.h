#pragma once

#include "builder/OfficeDesktop.h"

#include <com/sun/star/frame/XDesktop2.hpp>

#include <memory>

class UnoLink;

// The office's Desktop.
class UnoDesktop : public OfficeDesktop {
public:
    UnoDesktop(std::shared_ptr<UnoLink> link,
               const css::uno::Reference<css::frame::XDesktop2>& desktop);

    std::unique_ptr<OfficeDocument> loadComponentFromURL(const QString& url,
                                                         const QString& targetFrame,
                                                         short searchFlags,
                                                         const OfficeArguments& args) override;
    void terminate() override;

private:
    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
};
