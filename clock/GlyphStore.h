#pragma once

#include <QImage>
#include <array>

// The dot-matrix pictures of the ten digits and the colon, and the LED grid behind them, one
// pixel a dot; DotMatrix draws them at the screen's pixel ratio.
class GlyphStore {
public:
    static const GlyphStore& instance();

    const QImage& digit(int value) const { return m_digits.at(value); }
    const QImage& dots() const { return m_dots; }
    const QImage& ledGrid() const { return m_ledGrid; }

private:
    GlyphStore();

    std::array<QImage, 10> m_digits;
    QImage m_dots;
    QImage m_ledGrid;
};
