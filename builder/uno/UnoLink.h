#pragma once

#include "builder/uno/UnoErrors.h"
#include "builder/uno/UnoSocket.h"

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

// One connection to a running office over its URP bridge, with a time limit on every call.
// A call to an office that stopped (SIGSTOP) or that blocks on a fifo would wait for ever;
// a watchdog thread shuts the connection's socket down when a call has not returned within
// the limit, which makes the waiting call throw, and the call fails as
// OfficeError::TimedOut. Every later call on the link fails as OfficeError::Disconnected.
// call() is the only way into the office: every object of the office that the program
// holds is reached through a link, so no call can be made without a limit.
class UnoLink {
public:
    // Connects to the office at `connection` ("pipe,name=x;urp", "socket,host=h,port=p;urp"
    // or a whole "uno:...;StarOffice.ComponentContext" URL). Throws AppError:
    // OfficeError::NotListening when nothing listens there, TimedOut when the office does not
    // answer within the limit, Automation for a malformed connection.
    // `opened`, when given, is handed the connection's socket as soon as it is made, before
    // the office is first asked anything: an interrupt can cut a connect that waits on it.
    static std::shared_ptr<UnoLink>
    connect(const QString& connection, int timeoutMs,
            const std::function<void(const std::shared_ptr<LinkSocket>&)>& opened = {});
    ~UnoLink();
    UnoLink(const UnoLink&) = delete;
    UnoLink& operator=(const UnoLink&) = delete;

    const css::uno::Reference<css::uno::XComponentContext>& context() const { return m_context; }
    int timeoutMs() const { return m_timeoutMs; }

    // Runs one call into the office under the time limit; a UNO exception leaves as AppError.
    // A call made inside another gets its own limit, and the outer call's limit holds again
    // when it returns.
    template <typename Call> decltype(auto) call(Call&& body) {
        return callWithin(m_timeoutMs, std::forward<Call>(body));
    }
    // The same under a limit of its own, for a call whose work grows with the document.
    template <typename Call> decltype(auto) callWithin(int timeoutMs, Call&& body) {
        const Armed armed(*this, timeoutMs);
        try {
            return std::forward<Call>(body)();
        } catch (const css::uno::Exception&) {
            throwCallFailure();
        }
    }

    // Waits, inside a call, for the office to answer by calling the program back: until
    // `answered` holds once answer() has been called. Throws as the connection failing when it
    // ends first (the call's limit passed, it was cut, the office went), so that the call
    // fails as any other.
    void awaitAnswer(const std::function<bool()>& answered);
    // What the callback calls, from any thread, once its answer is kept: it wakes
    // awaitAnswer(). It holds nothing of the link, whose end must not come on a thread of the
    // bridge that the link disposes.
    std::function<void()> answerer() const;

    // Cuts the connection at once, from any thread: a waiting call and every later one fail.
    void cut();
    // The socket, for cutting the connection from another thread without keeping the link.
    std::shared_ptr<LinkSocket> socket();

private:
    explicit UnoLink(int timeoutMs);

    // Arms the watchdog for the length of one call.
    class Armed {
    public:
        Armed(UnoLink& link, int timeoutMs);
        ~Armed();
        Armed(const Armed&) = delete;
        Armed& operator=(const Armed&) = delete;

    private:
        UnoLink& m_link;
        std::optional<std::chrono::steady_clock::time_point> m_outerDeadline;
        int m_outerLimitMs = 0;
    };

    [[noreturn]] void throwCallFailure();
    void watch();

    // Whether the connection has ended, told by the bridge when it is disposed; awaitAnswer()
    // waits on it. Shared with the bridge's listener, which may outlive the link.
    struct Ending {
        std::mutex mutex;
        std::condition_variable changed;
        bool ended = false;
    };
    class EndListener;

    const int m_timeoutMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    // The limit of the call under way, for its failure's description.
    int m_callLimitMs = 0;
    bool m_stopping = false;
    bool m_timedOut = false;
    std::shared_ptr<LinkSocket> m_socket;
    const std::shared_ptr<Ending> m_ending = std::make_shared<Ending>();
    css::uno::Reference<css::lang::XComponent> m_bridge;
    css::uno::Reference<css::uno::XComponentContext> m_context;
    std::thread m_watchdog;
};
