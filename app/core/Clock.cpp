#include "Clock.h"

#include <QTime>

double SystemClock::secondsSinceMidnight() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void SystemRandom::seedFromTime() {
    m_state = static_cast<unsigned long long>(QTime::currentTime().msecsSinceStartOfDay()) *
                  0x9E3779B97F4A7C15ULL +
              1;
}

double SystemRandom::next() {
    // splitmix64: small, well distributed, and enough for a one-in-a-hundred draw.
    unsigned long long z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / static_cast<double>(1ULL << 53);
}
