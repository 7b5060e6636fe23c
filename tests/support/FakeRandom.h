#pragma once

#include "core/RandomSource.h"

#include <QList>

// A random source that returns scripted draws.
class FakeRandom : public RandomSource {
public:
    void seedFromTime() override { ++seeds; }
    double next() override { return draws.isEmpty() ? 0.0 : draws.takeFirst(); }
    QList<double> draws;
    int seeds = 0;
};
