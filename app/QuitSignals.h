#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP for the window: each is taken as a close of the window, so that
// the office the program started and that holds no document is ended, as when the window is
// closed, instead of staying behind invisible. The handler only writes the signal into a
// pipe; the event loop reads it. The handlers go back to the default in every program started
// from here.
class QuitSignals : public QObject {
public:
    explicit QuitSignals(std::function<void(int signal)> onSignal);
    ~QuitSignals() override;

private:
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(int)> m_onSignal;
};
