#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP for the window: each is taken as a close of the window, so that
// the office the program started and that holds no document is ended, as when the window is
// closed, instead of staying behind invisible. The handler only writes the signal into a
// pipe; the event loop reads it. A call into an office that does not answer keeps the event
// loop from it: a thread of its own cuts the office's connections when the signal has not
// ended the program within a grace period, so that the call fails and the close goes on.
// The handlers go back to the default in every program started from here.
class QuitSignals : public QObject {
public:
    QuitSignals(std::function<void(int signal)> onSignal, std::function<void()> cutOffice);
    ~QuitSignals() override;

    static constexpr int kGraceMs = 2000;

private:
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(int)> m_onSignal;
};
