#include "intake/ThrottledYield.h"

ThrottledYield::ThrottledYield(std::function<void()> yield, int intervalMs)
    : m_yield(std::move(yield)), m_intervalMs(intervalMs) {}

void ThrottledYield::operator()() {
    if (!m_yield) {
        return;
    }
    if (m_sinceLast.isValid() && m_sinceLast.elapsed() < m_intervalMs) {
        return;
    }
    m_yield();
    m_sinceLast.start();
}
