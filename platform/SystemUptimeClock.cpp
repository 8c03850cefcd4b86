#include "platform/UptimeClock.h"

#include <time.h>

qint64 SystemUptimeClock::msecsNow() const {
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
