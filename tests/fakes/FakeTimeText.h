#pragma once

#include "platform/TimeText.h"

class FakeTimeText : public TimeText {
public:
    QString currentTimeText() const override { return text; }
    int msecsToNextSecond() const override { return 500; }

    QString text = QStringLiteral("12:00:00 PM");
};
