#pragma once

#include "platform/TimeText.h"

// A clock that always reads the same time.
class FakeTimeText : public TimeText {
public:
    QString text = QStringLiteral("12:00:00 PM");
    QString currentTimeText() const override { return text; }
    int toNextSecond = 500;
    int msecsToNextSecond() const override { return toNextSecond; }
};
