#pragma once

#include <QTime>

#include <limits>

// The time of day where the user is.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual QTime currentTime() const = 0;
    // How long until the wall clock starts its next second, and its next minute.
    virtual int msecsToNextSecond() const = 0;
    virtual int msecsToNextMinute() const = 0;
};

class SystemWallClock : public WallClock {
public:
    QTime currentTime() const override;
    int msecsToNextSecond() const override;
    int msecsToNextMinute() const override;

private:
    // The UTC minute the offset was last looked up in, and the offset then.
    mutable qint64 m_offsetMinute = std::numeric_limits<qint64>::min();
    mutable qint64 m_offsetMsecs = 0;
};
