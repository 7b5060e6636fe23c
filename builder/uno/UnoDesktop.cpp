#include "builder/uno/UnoDesktop.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoDocument.h"
#include "builder/uno/UnoErrors.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>

UnoDesktop::UnoDesktop(const css::uno::Reference<css::frame::XComponentLoader>& loader)
    : m_loader(loader) {}

std::unique_ptr<OfficeDocument> UnoDesktop::loadComponentFromURL(const QString& url,
                                                                 const QString& targetFrame,
                                                                 short searchFlags,
                                                                 const OfficeArguments& args) {
    return callOffice([&]() -> std::unique_ptr<OfficeDocument> {
        const css::uno::Reference<css::lang::XComponent> component = m_loader->loadComponentFromURL(
            toOUString(url), toOUString(targetFrame), searchFlags, toPropertyList(args));
        css::uno::Reference<css::frame::XModel> model(component, css::uno::UNO_QUERY);
        if (!model.is()) {
            throw AppError(QStringLiteral("The office suite opened no document for %1").arg(url),
                           OfficeError::Automation);
        }
        return std::make_unique<UnoDocument>(model);
    });
}

void UnoDesktop::terminate() {
    callOffice([&] {
        css::uno::Reference<css::frame::XDesktop> desktop(m_loader, css::uno::UNO_QUERY_THROW);
        desktop->terminate();
    });
}
