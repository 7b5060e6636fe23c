#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// SIGINT, SIGTERM and SIGHUP for lumigrove-batch. The signals are blocked in every thread
// and taken by a thread of their own, which notes the signal; the run ends before its next
// picture and the command cleans up after itself. A call into an office of our own that
// does not return within a grace period after the signal has its connection cut, so that a
// stopped office cannot hold the command.
class BatchInterrupt {
public:
    // Blocks the signals and starts the thread; call first thing in main, before any
    // other thread exists, so that every later thread inherits the blocked signals.
    static BatchInterrupt& install();

    // The signal taken, or 0.
    int signal() const { return m_signal.load(); }

    // While armed, a signal that is not followed by disarm() within `graceMs` runs `cut`
    // on the signal thread.
    void arm(std::function<void()> cut, int graceMs);
    void disarm();

private:
    BatchInterrupt() = default;
    void watch();

    std::atomic<int> m_signal{0};
    std::mutex m_mutex;
    std::condition_variable m_disarmed;
    std::function<void()> m_cut;
    int m_graceMs = 0;
};
