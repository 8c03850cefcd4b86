#include "platform/TimeText.h"

#include <QDateTime>
#include <QTime>

QString twelveHourText(const QTime& time) {
    // Built by hand: this runs every second all day, and the formatters cost more than the
    // rest of the tick.
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    char text[11];
    int n = 0;
    auto twoDigits = [&](int value) {
        text[n++] = char('0' + value / 10);
        text[n++] = char('0' + value % 10);
    };
    if (hour >= 10)
        text[n++] = '1';
    text[n++] = char('0' + hour % 10);
    text[n++] = ':';
    twoDigits(time.minute());
    text[n++] = ':';
    twoDigits(time.second());
    text[n++] = ' ';
    text[n++] = time.hour() < 12 ? 'A' : 'P';
    text[n++] = 'M';
    return QString::fromLatin1(text, n);
}

QString SystemTimeText::currentTimeText() const {
    // The time zone's offset is looked up once a minute: offsets change on whole minutes, and
    // the lookup costs as much as the rest of the tick.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = now >= 0 ? now / 60000 : (now + 1) / 60000 - 1;
    if (minute != m_offsetMinute) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(now);
        m_offsetMinute = minute;
        m_offsetMsecs = qint64(local.offsetFromUtc()) * 1000;
        return twelveHourText(local.time());
    }
    constexpr qint64 day = 24 * 3600 * 1000;
    return twelveHourText(
        QTime::fromMSecsSinceStartOfDay(int(((now + m_offsetMsecs) % day + day) % day)));
}

int SystemTimeText::msecsToNextSecond() const {
    // Time zones move the clock by whole seconds: the milliseconds need no local time, whose
    // time-zone lookup costs as much as the rest of the tick.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return 1000 - int((now % 1000 + 1000) % 1000);
}
