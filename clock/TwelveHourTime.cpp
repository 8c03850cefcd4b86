#include "clock/TwelveHourTime.h"

#include <QTime>

TwelveHourTime TwelveHourTime::from(const QTime& time) {
    const int hour = time.hour() % 12;
    return {hour == 0 ? 12 : hour, time.minute(), time.hour() >= 12};
}

QString TwelveHourTime::hoursAndMinutes() const {
    return QString::number(hour) + QLatin1Char(':') +
           QString::number(minute).rightJustified(2, QLatin1Char('0'));
}
