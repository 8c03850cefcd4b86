#include "clock/DigitDisplay.h"

#include "clock/GlyphCell.h"
#include "clock/GlyphStore.h"
#include "platform/TimeText.h"

namespace {

void show(GlyphCell* cell, const QImage* glyph, QRegion& changed) {
    if (cell->replaceGlyph(glyph))
        changed += cell->geometry();
}

// A character that is not a digit leaves the cell as it is.
void showCharacter(GlyphCell* cell, QChar c, QRegion& changed) {
    if (const QImage* glyph = GlyphStore::instance().forCharacter(c))
        show(cell, glyph, changed);
}

} // namespace

DigitDisplay::DigitDisplay(const Cells& cells, const TimeText& time)
    : m_cells(cells)
    , m_time(time) {
}

void DigitDisplay::showInitial() {
    const GlyphStore& store = GlyphStore::instance();
    m_cells.colon->setGlyph(&store.dots());
    for (GlyphCell* cell :
         {m_cells.hourTens, m_cells.hourUnits, m_cells.minuteTens, m_cells.minuteUnits})
        cell->setGlyph(&store.digit(0));
}

QRegion DigitDisplay::tick() {
    QRegion changed;
    show(m_cells.colon, m_colonBlank ? &GlyphStore::instance().dots() : nullptr, changed);
    m_colonBlank = !m_colonBlank;

    const QString t = m_time.currentTimeText();
    if (t.size() == 10) {
        // Hours 1 to 9: the tens cell stays dark.
        show(m_cells.hourTens, nullptr, changed);
        showCharacter(m_cells.hourUnits, t[0], changed);
        showCharacter(m_cells.minuteTens, t[2], changed);
        showCharacter(m_cells.minuteUnits, t[3], changed);
    } else if (t.size() == 11) {
        showCharacter(m_cells.hourTens, t[0], changed);
        showCharacter(m_cells.hourUnits, t[1], changed);
        showCharacter(m_cells.minuteTens, t[3], changed);
        showCharacter(m_cells.minuteUnits, t[4], changed);
    }
    return changed;
}
