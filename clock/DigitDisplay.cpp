#include "clock/DigitDisplay.h"

#include "clock/GlyphStore.h"
#include "clock/TwelveHourTime.h"
#include "platform/WallClock.h"

DigitDisplay::DigitDisplay(const Areas& areas, const WallClock& clock)
    : m_areas(areas)
    , m_clock(clock) {
}

int DigitDisplay::cellAt(const QPoint& point) const {
    for (int i = 0; i < CellCount; ++i) {
        if (m_areas[i].contains(point))
            return i;
    }
    return -1;
}

void DigitDisplay::show(Cell cell, const QImage* glyph, QRect& changed) {
    if (m_glyphs[cell] == glyph)
        return;
    m_glyphs[cell] = glyph;
    changed |= m_areas[cell];
}

void DigitDisplay::showInitial() {
    const GlyphStore& store = GlyphStore::instance();
    m_glyphs = {&store.digit(0), &store.digit(0), &store.dots(), &store.digit(0), &store.digit(0)};
}

QRect DigitDisplay::tick() {
    QRect changed;
    show(Colon, m_colonBlank ? &GlyphStore::instance().dots() : nullptr, changed);
    m_colonBlank = !m_colonBlank;
    return changed | showTimeNow();
}

QRect DigitDisplay::showTimeNow() {
    QRect changed;
    const QTime now = m_clock.currentTime();
    if (!now.isValid())
        return changed;
    const TwelveHourTime t = TwelveHourTime::from(now);
    const GlyphStore& store = GlyphStore::instance();
    // Hours 1 to 9: the tens cell stays dark.
    show(HourTens, t.hour >= 10 ? &store.digit(t.hour / 10) : nullptr, changed);
    show(HourUnits, &store.digit(t.hour % 10), changed);
    show(MinuteTens, &store.digit(t.minute / 10), changed);
    show(MinuteUnits, &store.digit(t.minute % 10), changed);
    return changed;
}
