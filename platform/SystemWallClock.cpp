#include "platform/WallClock.h"

#include <QDateTime>

QTime SystemWallClock::currentTime() const {
    // The time zone's offset is looked up once a minute: offsets change on whole minutes, and
    // the lookup costs as much as the rest of the tick.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = now >= 0 ? now / 60000 : (now + 1) / 60000 - 1;
    if (minute != m_offsetMinute) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(now);
        m_offsetMinute = minute;
        m_offsetMsecs = qint64(local.offsetFromUtc()) * 1000;
        return local.time();
    }
    constexpr qint64 day = 24 * 3600 * 1000;
    return QTime::fromMSecsSinceStartOfDay(int(((now + m_offsetMsecs) % day + day) % day));
}

int SystemWallClock::msecsToNextSecond() const {
    // Time zones move the clock by whole seconds: the milliseconds need no local time, whose
    // time-zone lookup costs as much as the rest of the tick.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return 1000 - int((now % 1000 + 1000) % 1000);
}

int SystemWallClock::msecsToNextMinute() const {
    // Time zones move the clock by whole minutes.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return 60000 - int((now % 60000 + 60000) % 60000);
}
