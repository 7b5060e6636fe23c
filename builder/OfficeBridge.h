#pragma once

#include <QtGlobal>

#include <memory>

class OfficeSession;

// Error numbers of failures that come from the office suite.
namespace OfficeError {
// Any failure the suite reports for a call (an automation error).
inline constexpr int Automation = 440;
// The suite went away: the connection is closed or the suite's objects are disposed.
// Every later call on the same session fails the same way.
inline constexpr int Disconnected = 462;
// The suite did not answer a call within the time limit; the connection has been cut, so
// every later call on the same session fails as Disconnected.
inline constexpr int TimedOut = 463;
// Nothing listens at the connection (yet): an office that is still starting, or none.
inline constexpr int NotListening = 464;
// The office program was found but did not start; the description says why.
inline constexpr int StartFailed = 465;
// True for the numbers after which the session is lost: every later call fails too.
inline constexpr bool endsSession(int number) {
    return number == Disconnected || number == TimedOut;
}
} // namespace OfficeError

// The entry point to the office suite: creates "the service manager", a session with a
// running suite from which the run takes the Desktop, the document and the dispatcher.
// Failures are thrown as AppError carrying the suite's own message.
class OfficeBridge {
public:
    virtual ~OfficeBridge() = default;
    // A new session on every call; never null (a failed creation throws).
    virtual std::unique_ptr<OfficeSession> createServiceManager() = 0;
    // The process id of the office this bridge started itself and that may still run, or 0
    // when it started none (it only connected to a running one).
    virtual qint64 startedProcessId() const { return 0; }
    // Ends the office that this bridge started itself, if any: it is asked to terminate and
    // killed when it does not end within a few seconds (or does not answer). With
    // `onlyIfIdle`, an office that holds a document, or whose state cannot be told, stays.
    // An office the bridge only connected to is never ended.
    virtual void endStartedOffice(bool onlyIfIdle) { Q_UNUSED(onlyIfIdle); }
    // The office this bridge started holds a document left for the user: it outlives this
    // program, however the program ends. Until then, an office started here ends with it.
    virtual void keepStartedOffice() {}
    // Cuts every connection this bridge made, from any thread: calls waiting on the office
    // fail at once. For a program that is being interrupted.
    virtual void cutConnections() {}
};
