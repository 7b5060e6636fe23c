#include "builder/uno/UnoLink.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoRuntime.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XEventListener.hpp>

#include <cppuhelper/implbase1.hxx>

#include <QStringList>

namespace {

// The three parts of a UNO URL: how to reach the office, the protocol, the object asked for.
struct UnoUrlParts {
    QString connection;
    QString protocol;
    QString object;
};

UnoUrlParts partsOf(const QString& text) {
    QString rest = text.trimmed();
    if (rest.startsWith(QLatin1String("uno:"))) {
        rest = rest.mid(4);
    }
    const QStringList parts = rest.split(QLatin1Char(';'));
    if (parts.size() < 2 || parts.at(0).isEmpty() || parts.at(1).isEmpty()) {
        throw AppError(QStringLiteral("\"%1\" is no office connection such as "
                                      "pipe,name=lumigrove;urp")
                           .arg(text),
                       OfficeError::Automation);
    }
    const QString object = parts.size() > 2 && !parts.at(2).isEmpty()
                               ? parts.at(2)
                               : QStringLiteral("StarOffice.ComponentContext");
    return {parts.at(0), parts.at(1), object};
}

} // namespace

// Told by the bridge that the connection has ended, whatever ended it.
class UnoLink::EndListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    explicit EndListener(std::shared_ptr<Ending> ending) : m_ending(std::move(ending)) {}
    void SAL_CALL disposing(const css::lang::EventObject&) override {
        {
            const std::lock_guard lock(m_ending->mutex);
            m_ending->ended = true;
        }
        m_ending->changed.notify_all();
    }

private:
    const std::shared_ptr<Ending> m_ending;
};

UnoLink::UnoLink(int timeoutMs) : m_timeoutMs(timeoutMs), m_watchdog([this] { watch(); }) {}

UnoLink::~UnoLink() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_watchdog.join();
    // Letting go of the bridge closes the connection; the office releases what it held
    // for us. A link whose office has gone throws here, which changes nothing.
    try {
        if (m_bridge.is()) {
            m_bridge->dispose();
        }
    } catch (const css::uno::Exception&) {
    }
}

std::shared_ptr<UnoLink>
UnoLink::connect(const QString& connection, int timeoutMs,
                 const std::function<void(const std::shared_ptr<LinkSocket>&)>& opened) {
    const UnoUrlParts parts = partsOf(connection);
    const auto local = localUnoContext();
    std::shared_ptr<UnoLink> link(new UnoLink(timeoutMs));
    link->call([&] {
        const auto socket = LinkSocket::connect(parts.connection, timeoutMs);
        {
            const std::lock_guard lock(link->m_mutex);
            link->m_socket = socket;
        }
        if (opened) {
            opened(socket);
        }
        if (socket->isShutDown()) {
            throw AppError(QStringLiteral("The connection to the office suite was cut"),
                           OfficeError::Disconnected);
        }
        const auto opened = socket->connection();
        const auto factory = css::bridge::BridgeFactory::create(local);
        const auto bridge =
            factory->createBridge(rtl::OUString(), toOUString(parts.protocol), opened, {});
        {
            const std::lock_guard lock(link->m_mutex);
            link->m_bridge.set(bridge, css::uno::UNO_QUERY);
        }
        link->m_bridge->addEventListener(new EndListener(link->m_ending));
        link->m_context.set(bridge->getInstance(toOUString(parts.object)),
                            css::uno::UNO_QUERY_THROW);
    });
    return link;
}

std::shared_ptr<LinkSocket> UnoLink::socket() {
    const std::lock_guard lock(m_mutex);
    return m_socket;
}

void UnoLink::awaitAnswer(const std::function<bool()>& answered) {
    std::unique_lock lock(m_ending->mutex);
    m_ending->changed.wait(lock, [&] { return m_ending->ended || answered(); });
    if (!answered()) {
        throw css::lang::DisposedException(
            toOUString(QStringLiteral("The connection to the office suite ended")), {});
    }
}

std::function<void()> UnoLink::answerer() const {
    return [ending = m_ending] {
        // Taken so that a waiter that has just found no answer is waiting before it is woken.
        { const std::lock_guard lock(ending->mutex); }
        ending->changed.notify_all();
    };
}

void UnoLink::cut() {
    // The bridge's own reader sees the end of the connection and disposes the bridge on
    // its thread; the waiting call then throws.
    if (const auto open = socket()) {
        open->shutDown();
    }
}

UnoLink::Armed::Armed(UnoLink& link, int timeoutMs) : m_link(link) {
    {
        const std::lock_guard lock(m_link.m_mutex);
        m_outerDeadline = m_link.m_deadline;
        m_outerLimitMs = m_link.m_callLimitMs;
        m_link.m_callLimitMs = timeoutMs;
        m_link.m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    }
    m_link.m_wake.notify_all();
}

UnoLink::Armed::~Armed() {
    {
        const std::lock_guard lock(m_link.m_mutex);
        m_link.m_deadline = m_outerDeadline;
        m_link.m_callLimitMs = m_outerLimitMs;
    }
    m_link.m_wake.notify_all();
}

void UnoLink::throwCallFailure() {
    bool timedOut = false;
    int limitMs = m_timeoutMs;
    {
        const std::lock_guard lock(m_mutex);
        timedOut = m_timedOut;
        limitMs = m_callLimitMs;
    }
    if (timedOut) {
        throw AppError(QStringLiteral("The office suite did not answer within %1 seconds")
                           .arg(limitMs / 1000.0),
                       OfficeError::TimedOut);
    }
    const auto open = socket();
    if (open && open->isShutDown()) {
        // Cut from here (an interrupt), not by the office: said so, not the bridge's words.
        throw AppError(QStringLiteral("The connection to the office suite was cut"),
                       OfficeError::Disconnected);
    }
    throwCaughtOfficeError();
}

void UnoLink::watch() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_deadline) {
            m_wake.wait(lock);
            continue;
        }
        const auto deadline = *m_deadline;
        if (m_wake.wait_until(lock, deadline) == std::cv_status::timeout && m_deadline &&
            *m_deadline == deadline && !m_timedOut) {
            m_timedOut = true;
            lock.unlock();
            cut();
            lock.lock();
        }
    }
}
