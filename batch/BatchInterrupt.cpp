#include "batch/BatchInterrupt.h"

#include <csignal>

#include <pthread.h>

namespace {

sigset_t interruptSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

BatchInterrupt& BatchInterrupt::install() {
    static BatchInterrupt* const interrupt = [] {
        const sigset_t set = interruptSignals();
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        auto* created = new BatchInterrupt;
        std::thread([created] { created->watch(); }).detach();
        return created;
    }();
    return *interrupt;
}

void BatchInterrupt::arm(std::function<void()> cut, int graceMs) {
    const std::lock_guard lock(m_mutex);
    m_cut = std::move(cut);
    m_graceMs = graceMs;
}

void BatchInterrupt::disarm() {
    {
        const std::lock_guard lock(m_mutex);
        m_cut = {};
    }
    m_disarmed.notify_all();
}

void BatchInterrupt::watch() {
    const sigset_t set = interruptSignals();
    for (;;) {
        int taken = 0;
        if (sigwait(&set, &taken) != 0) {
            continue;
        }
        int expected = 0;
        m_signal.compare_exchange_strong(expected, taken);
        std::unique_lock lock(m_mutex);
        if (!m_cut) {
            continue;
        }
        if (!m_disarmed.wait_for(lock, std::chrono::milliseconds(m_graceMs),
                                 [this] { return !m_cut; })) {
            m_cut();
        }
    }
}
