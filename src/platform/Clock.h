#pragma once

#include <QDateTime>

// The source of "now". Everything that stamps time asks a Clock, so tests can fix the instant.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // The wall clock, in the local time zone.
    static const Clock& system();
};
