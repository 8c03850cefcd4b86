#pragma once

#include <QRect>

#include <array>

class QImage;
class WallClock;

// The strip's five cells (four digits and the colon) as data: where each lies in the window and
// which glyph it shows, or none, so that the LED grid shows through. Shows the time of day on
// the digits and blinks the colon; the window paints the cells and hit-tests them.
class DigitDisplay {
public:
    enum Cell { HourTens, HourUnits, Colon, MinuteTens, MinuteUnits };
    static constexpr int CellCount = 5;
    using Areas = std::array<QRect, CellCount>;

    // The cells' areas in window pixels, left to right.
    DigitDisplay(const Areas& areas, const WallClock& clock);

    QRect area(Cell cell) const { return m_areas[cell]; }
    const QImage* glyph(Cell cell) const { return m_glyphs[cell]; }
    // The cell a window point falls in, or -1.
    int cellAt(const QPoint& point) const;

    // 00:00 with a lit colon, until the first tick.
    void showInitial();
    // Blinks the colon and shows the time now; returns the area covering the cells that
    // changed (null when none), for the caller to repaint.
    QRect tick();
    // Shows the time now, leaving the colon as it is; returns the area as tick() does.
    QRect showTimeNow();

private:
    void show(Cell cell, const QImage* glyph, QRect& changed);

    Areas m_areas;
    std::array<const QImage*, CellCount> m_glyphs{};
    const WallClock& m_clock;
    bool m_colonBlank = false;
};
