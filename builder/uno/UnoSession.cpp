#include "UnoSession.h"

#include "AppError.h"
#include "OfficeBridge.h"
#include "UnoDesktop.h"
#include "UnoDispatcher.h"
#include "UnoErrors.h"

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDispatchHelper.hpp>

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
        css::uno::Reference<css::frame::XComponentLoader> loader(
            m_serviceManager->createInstanceWithContext("com.sun.star.frame.Desktop", m_context),
            css::uno::UNO_QUERY_THROW);
        return std::make_unique<UnoDesktop>(loader);
    });
}

std::unique_ptr<OfficeDispatcher> UnoSession::createDispatchHelper() {
    return callOffice([&] {
        css::uno::Reference<css::frame::XDispatchHelper> helper(
            m_serviceManager->createInstanceWithContext("com.sun.star.frame.DispatchHelper",
                                                        m_context),
            css::uno::UNO_QUERY_THROW);
        return std::make_unique<UnoDispatcher>(helper);
    });
}
