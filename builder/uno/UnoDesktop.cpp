#include "builder/uno/UnoDesktop.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoDocument.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>

UnoDesktop::UnoDesktop(std::shared_ptr<UnoLink> link,
                       const css::uno::Reference<css::frame::XDesktop2>& desktop)
    : m_link(std::move(link)), m_desktop(desktop) {}

std::unique_ptr<OfficeDocument> UnoDesktop::loadComponentFromURL(const QString& url,
                                                                 const QString& targetFrame,
                                                                 short searchFlags,
                                                                 const OfficeArguments& args) {
    return m_link->call([&]() -> std::unique_ptr<OfficeDocument> {
        const css::uno::Reference<css::lang::XComponent> component =
            m_desktop->loadComponentFromURL(toOUString(url), toOUString(targetFrame), searchFlags,
                                            toPropertyList(args));
        css::uno::Reference<css::frame::XModel> model(component, css::uno::UNO_QUERY);
        if (!model.is()) {
            throw AppError(QStringLiteral("The office suite opened no document for %1").arg(url),
                           OfficeError::Automation);
        }
        return std::make_unique<UnoDocument>(m_link, model);
    });
}

void UnoDesktop::terminate() {
    m_link->call([&] { m_desktop->terminate(); });
}
