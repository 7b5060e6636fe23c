#pragma once

#include "builder/OfficeSession.h"

#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

// The service manager of a running suite, reached through its component context.
class UnoSession : public OfficeSession {
public:
    explicit UnoSession(const css::uno::Reference<css::uno::XComponentContext>& context);

    std::unique_ptr<OfficeDesktop> createDesktop() override;
    std::unique_ptr<OfficeDispatcher> createDispatchHelper() override;

private:
    css::uno::Reference<css::uno::XComponentContext> m_context;
    css::uno::Reference<css::lang::XMultiComponentFactory> m_serviceManager;
};
