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
    m_cells.dotblank->setGlyph(&store.dots());
    for (GlyphCell* cell : {m_cells.hour, m_cells.hour1, m_cells.min, m_cells.min2})
        cell->setGlyph(&store.digit(0));
}

void DigitDisplay::tick() {
    if (ColonBlank) {
        m_cells.dotblank->setGlyph(&GlyphStore::instance().dots());
        ColonBlank = false;
    } else {
        m_cells.dotblank->setGlyph(nullptr);
        ColonBlank = true;
    }

    const QString t = m_time.currentTimeText();
    if (t.size() == 10) {
        // Hours 1 to 9: the tens cell stays dark.
        m_cells.hour->setGlyph(nullptr);
        setFromCharacter(m_cells.hour1, t[0]);
        setFromCharacter(m_cells.min, t[2]);
        setFromCharacter(m_cells.min2, t[3]);
    } else if (t.size() == 11) {
        setFromCharacter(m_cells.hour, t[0]);
        setFromCharacter(m_cells.hour1, t[1]);
        setFromCharacter(m_cells.min, t[3]);
        setFromCharacter(m_cells.min2, t[4]);
    }
}
