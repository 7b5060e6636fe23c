#pragma once

#include "Clock.h"

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

// A random source that returns scripted draws.
class FakeRandom : public RandomSource {
public:
    void seedFromTime() override { ++seeds; }
    double next() override { return draws.isEmpty() ? 0.0 : draws.takeFirst(); }
    QList<double> draws;
    int seeds = 0;
};
