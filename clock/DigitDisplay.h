#pragma once

#include <QRegion>

class GlyphCell;
class TimeText;

// Shows the time of day on the four digit cells and blinks the colon.
class DigitDisplay {
public:
    struct Cells {
        GlyphCell* hourTens;
        GlyphCell* hourUnits;
        GlyphCell* colon;
        GlyphCell* minuteTens;
        GlyphCell* minuteUnits;
    };

    DigitDisplay(const Cells& cells, const TimeText& time);

    // 00:00 with a lit colon, until the first tick.
    void showInitial();
    // Shows the time now; returns the area of the cells that changed (in the window), for the
    // caller to repaint.
    QRegion tick();

private:
    Cells m_cells;
    const TimeText& m_time;
    bool m_colonBlank = false;
};
