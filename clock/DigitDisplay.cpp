#include "clock/DigitDisplay.h"

#include "clock/GlyphStore.h"
#include "platform/TimeText.h"

DigitDisplay::DigitDisplay(const Areas& areas, const TimeText& time)
    : m_areas(areas)
    , m_time(time) {
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

// A character that is not a digit leaves the cell as it is.
void DigitDisplay::showCharacter(Cell cell, QChar c, QRect& changed) {
    if (const QImage* glyph = GlyphStore::instance().forCharacter(c))
        show(cell, glyph, changed);
}

void DigitDisplay::showInitial() {
    const GlyphStore& store = GlyphStore::instance();
    m_glyphs = {&store.digit(0), &store.digit(0), &store.dots(), &store.digit(0), &store.digit(0)};
}

QRect DigitDisplay::tick() {
    QRect changed;
    show(Colon, m_colonBlank ? &GlyphStore::instance().dots() : nullptr, changed);
    m_colonBlank = !m_colonBlank;

    const QString t = m_time.currentTimeText();
    if (t.size() == 10) {
        // Hours 1 to 9: the tens cell stays dark.
        show(HourTens, nullptr, changed);
        showCharacter(HourUnits, t[0], changed);
        showCharacter(MinuteTens, t[2], changed);
        showCharacter(MinuteUnits, t[3], changed);
    } else if (t.size() == 11) {
        showCharacter(HourTens, t[0], changed);
        showCharacter(HourUnits, t[1], changed);
        showCharacter(MinuteTens, t[3], changed);
        showCharacter(MinuteUnits, t[4], changed);
    }
    return changed;
}
