#pragma once

#include "platform/WallClock.h"

// A clock that always reads the same time.
class FakeWallClock : public WallClock {
public:
    QTime now = QTime(12, 0, 0);
    QTime currentTime() const override { return now; }
    int toNextSecond = 500;
    int msecsToNextSecond() const override { return toNextSecond; }
    int toNextMinute = 30000;
    int msecsToNextMinute() const override { return toNextMinute; }
};
