#pragma once

#include "clock/ClockWindow.h"

#include <QString>

// The strip's cells by the names the tests give them.
inline DigitDisplay::Cell stripCell(const QString& name) {
    const char* const names[] = {"hourTens", "hourUnits", "colon", "minuteTens", "minuteUnits"};
    for (int i = 0; i < DigitDisplay::CellCount; ++i) {
        if (name == QLatin1String(names[i]))
            return DigitDisplay::Cell(i);
    }
    qFatal("no strip cell %s", qPrintable(name));
}

inline const QImage* shownGlyph(const ClockWindow& clock, const QString& cell) {
    return clock.digits().glyph(stripCell(cell));
}

inline QRect cellArea(const ClockWindow& clock, const QString& cell) {
    return clock.digits().area(stripCell(cell));
}
