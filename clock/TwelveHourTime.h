#pragma once

#include <QString>

class QTime;

// A time of day as the clock reads it, whatever the user's language: hours 1 to 12 and AM or
// PM, so that 12:05 AM is just after midnight and 12:05 PM just after noon.
struct TwelveHourTime {
    int hour = 12;
    int minute = 0;
    bool pm = false;

    static TwelveHourTime from(const QTime& time);
    // "h:mm", as the strip shows it.
    QString hoursAndMinutes() const;
    QString halfOfDay() const { return pm ? QStringLiteral("PM") : QStringLiteral("AM"); }
};
