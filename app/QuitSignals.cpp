#include "app/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
// Read by the thread that cuts the office's connections.
int g_cutPipe[2] = {-1, -1};

void noteSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t written = ::write(g_pipe[1], &byte, 1);
    written = ::write(g_cutPipe[1], &byte, 1);
}

// Waits for a signal, then for the grace period, then cuts. It runs until the program ends,
// which the signal is there to bring about, and owns its copy of the cut.
void cutAfterGrace(std::function<void()> cutOffice) {
    unsigned char byte = 0;
    for (;;) {
        const ssize_t got = ::read(g_cutPipe[0], &byte, 1);
        if (got == 1) {
            break;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(QuitSignals::kGraceMs));
    cutOffice();
}

} // namespace

QuitSignals::QuitSignals(std::function<void(int signal)> onSignal, std::function<void()> cutOffice)
    : m_onSignal(std::move(onSignal)) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0 || ::pipe2(g_cutPipe, O_CLOEXEC) != 0) {
        return; // the signals keep their default: the program ends at once
    }
    // Nothing blocks on the writing end in the handler: a second signal finds room.
    ::fcntl(g_cutPipe[1], F_SETFL, O_NONBLOCK);
    std::thread(cutAfterGrace, std::move(cutOffice)).detach();
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(g_pipe[0], &byte, 1) == 1) {
            m_onSignal(byte);
        }
    });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

QuitSignals::~QuitSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, SIG_DFL);
    }
}
