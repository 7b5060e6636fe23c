#pragma once

// The time of day, behind an interface so that waits across midnight can be tested.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since local midnight, with fractions.
    virtual double secondsSinceMidnight() = 0;
};

// The system's local time of day.
class SystemClock : public Clock {
public:
    double secondsSinceMidnight() override;
};
