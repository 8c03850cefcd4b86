#include "clock/DigitDisplay.h"

#include "clock/GlyphCell.h"
#include "clock/GlyphStore.h"
#include "platform/TimeText.h"

namespace {

// A character that is not a digit leaves the cell as it is.
void setFromCharacter(GlyphCell* cell, QChar c) {
    if (const QImage* glyph = GlyphStore::instance().forCharacter(c))
        cell->setGlyph(glyph);
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

void DigitDisplay::tick() {
    if (m_colonBlank) {
        m_cells.colon->setGlyph(&GlyphStore::instance().dots());
        m_colonBlank = false;
    } else {
        m_cells.colon->setGlyph(nullptr);
        m_colonBlank = true;
    }

    const QString t = m_time.currentTimeText();
    if (t.size() == 10) {
        // Hours 1 to 9: the tens cell stays dark.
        m_cells.hourTens->setGlyph(nullptr);
        setFromCharacter(m_cells.hourUnits, t[0]);
        setFromCharacter(m_cells.minuteTens, t[2]);
        setFromCharacter(m_cells.minuteUnits, t[3]);
    } else if (t.size() == 11) {
        setFromCharacter(m_cells.hourTens, t[0]);
        setFromCharacter(m_cells.hourUnits, t[1]);
        setFromCharacter(m_cells.minuteTens, t[3]);
        setFromCharacter(m_cells.minuteUnits, t[4]);
    }
}
