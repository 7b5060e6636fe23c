#pragma once

#include "core/Clock.h"

#include <QList>

// A clock that tests move by hand, and that can advance itself on every reading.
class FakeClock : public Clock {
public:
    double secondsSinceMidnight() override {
        const double now = seconds;
        seconds += stepPerReading;
        if (seconds >= 86400.0) {
            seconds -= 86400.0;
        }
        return now;
    }
    double seconds = 0.0;
    double stepPerReading = 0.0;
};
