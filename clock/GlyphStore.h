#pragma once

#include <QPixmap>
#include <array>

// The dot-matrix pictures of the ten digits and the colon, and the LED grid behind them.
class GlyphStore {
public:
    static const GlyphStore& instance();

    const QPixmap& digit(int value) const { return m_digits.at(value); }
    const QPixmap& dots() const { return m_dots; }
    const QPixmap& ledGrid() const { return m_ledGrid; }

    // The digit glyph for a character '0' to '9'; nullptr for anything else.
    const QPixmap* forCharacter(QChar c) const;

private:
    GlyphStore();

    std::array<QPixmap, 10> m_digits;
    QPixmap m_dots;
    QPixmap m_ledGrid;
};
