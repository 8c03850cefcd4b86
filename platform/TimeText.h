#pragma once

#include <QString>

#include <limits>

class QTime;

// The time of day as the clock reads it: always the 12-hour form "h:mm:ss AP".
class TimeText {
public:
    virtual ~TimeText() = default;
    virtual QString currentTimeText() const = 0;
    // How long until the wall clock starts its next second.
    virtual int msecsToNextSecond() const = 0;
};

// "h:mm:ss AP" with "AM"/"PM", whatever the user's language is.
QString twelveHourText(const QTime& time);

class SystemTimeText : public TimeText {
public:
    QString currentTimeText() const override;
    int msecsToNextSecond() const override;

private:
    // The UTC minute the offset was last looked up in, and the offset then.
    mutable qint64 m_offsetMinute = std::numeric_limits<qint64>::min();
    mutable qint64 m_offsetMsecs = 0;
};
