#pragma once

#include "platform/UptimeClock.h"

// A clock that moves only when the test says so.
class FakeUptimeClock : public UptimeClock {
public:
    qint64 now = 1'000'000;
    qint64 msecsNow() const override { return now; }
};
