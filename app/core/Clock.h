#pragma once

// The time of day, behind an interface so that waits across midnight can be tested.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since local midnight, with fractions.
    virtual double secondsSinceMidnight() = 0;
};

class SystemClock : public Clock {
public:
    double secondsSinceMidnight() override;
};

// Uniform draws in [0, 1), seeded from the time of day.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seedFromTime() = 0;
    virtual double next() = 0;
};

class SystemRandom : public RandomSource {
public:
    void seedFromTime() override;
    double next() override;

private:
    unsigned long long m_state = 0x853c49e6748fea9bULL;
};
