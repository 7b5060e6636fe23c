#pragma once

#include <QElapsedTimer>

#include <functional>

// Lets the event loop run from inside a long scan at most once per interval: often enough
// for the window to repaint and take clicks, rarely enough that a scan of thousands of
// folders is not spent polling an idle event loop. The first call always yields.
class ThrottledYield {
public:
    explicit ThrottledYield(std::function<void()> yield, int intervalMs = 10);
    void operator()();

private:
    std::function<void()> m_yield;
    QElapsedTimer m_sinceLast;
    int m_intervalMs;
};
