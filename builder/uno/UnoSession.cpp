#include "builder/uno/UnoSession.h"

#include "builder/uno/UnoDesktop.h"
#include "builder/uno/UnoDispatcher.h"
#include "builder/uno/UnoLink.h"

#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>

UnoSession::UnoSession(std::shared_ptr<UnoLink> link) : m_link(std::move(link)) {}

std::unique_ptr<OfficeDesktop> UnoSession::createDesktop() {
    return m_link->call([&] {
        const css::uno::Reference<css::frame::XDesktop2> desktop =
            css::frame::Desktop::create(m_link->context());
        return std::make_unique<UnoDesktop>(m_link, desktop);
    });
}

std::unique_ptr<OfficeDispatcher> UnoSession::createDispatchHelper() {
    return m_link->call([&] {
        return std::make_unique<UnoDispatcher>(
            m_link, css::frame::DispatchHelper::create(m_link->context()));
    });
}
