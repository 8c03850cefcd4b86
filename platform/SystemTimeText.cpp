#include "platform/TimeText.h"

#include <QTime>

QString twelveHourText(const QTime& time) {
    // Formatted by hand: this runs every second all day, and QLocale's formatter costs more
    // than the rest of the tick.
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QString::asprintf("%d:%02d:%02d %s", hour, time.minute(), time.second(),
                             time.hour() < 12 ? "AM" : "PM");
}

QString SystemTimeText::currentTimeText() const {
    return twelveHourText(QTime::currentTime());
}

int SystemTimeText::msecsToNextSecond() const {
    return 1000 - QTime::currentTime().msec();
}
