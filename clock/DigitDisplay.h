#pragma once

class GlyphCell;
class TimeText;

// Shows the time of day on the four digit cells and blinks the colon.
class DigitDisplay {
public:
    struct Cells {
        GlyphCell* hour;
        GlyphCell* hour1;
        GlyphCell* dotblank;
        GlyphCell* min;
        GlyphCell* min2;
    };

    DigitDisplay(const Cells& cells, const TimeText& time);

    // 00:00 with a lit colon, until the first tick.
    void showInitial();
    void tick();

    bool ColonBlank = false;

private:
    Cells m_cells;
    const TimeText& m_time;
};
