#pragma once

#include <QString>

// The time of day as the clock reads it: always the 12-hour form "h:mm:ss AP".
class TimeText {
public:
    virtual ~TimeText() = default;
    virtual QString currentTimeText() const = 0;
    // How long until the wall clock starts its next second.
    virtual int msecsToNextSecond() const = 0;
};

class SystemTimeText : public TimeText {
public:
    QString currentTimeText() const override;
    int msecsToNextSecond() const override;
};
