#pragma once

#include <QtGlobal>

// A clock that only moves forward and keeps counting while the computer sleeps,
// for measuring how long something has run.
class UptimeClock {
public:
    virtual ~UptimeClock() = default;
    virtual qint64 msecsNow() const = 0;
};

// CLOCK_BOOTTIME: unaffected by changes of the wall clock, and counts a suspend.
class SystemUptimeClock : public UptimeClock {
public:
    qint64 msecsNow() const override;
};
