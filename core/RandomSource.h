#pragma once

#include <QRandomGenerator>

// Uniform draws in [0, 1), seeded from the time of day; behind an interface so that the
// one-in-a-hundred draw at start-up can be scripted in tests.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seedFromTime() = 0;
    virtual double next() = 0;
};

// Qt's generator, seeded from the time of day on request.
class SystemRandom : public RandomSource {
public:
    void seedFromTime() override;
    double next() override;

private:
    QRandomGenerator m_generator;
};
