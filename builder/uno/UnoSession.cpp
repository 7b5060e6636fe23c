#include "builder/uno/UnoSession.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoDesktop.h"
#include "builder/uno/UnoDispatcher.h"
#include "builder/uno/UnoErrors.h"
#include "core/AppError.h"

#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>

UnoSession::UnoSession(const css::uno::Reference<css::uno::XComponentContext>& context)
    : m_context(context) {
    m_serviceManager = callOffice([&] { return m_context->getServiceManager(); });
    if (!m_serviceManager.is()) {
        throw AppError(QStringLiteral("The office suite offers no service manager"),
                       OfficeError::Automation);
    }
}

std::unique_ptr<OfficeDesktop> UnoSession::createDesktop() {
    return callOffice([&] {
        const css::uno::Reference<css::frame::XDesktop2> desktop =
            css::frame::Desktop::create(m_context);
        return std::make_unique<UnoDesktop>(
            css::uno::Reference<css::frame::XComponentLoader>(desktop, css::uno::UNO_QUERY_THROW));
    });
}

std::unique_ptr<OfficeDispatcher> UnoSession::createDispatchHelper() {
    return callOffice([&] {
        return std::make_unique<UnoDispatcher>(css::frame::DispatchHelper::create(m_context));
    });
}
