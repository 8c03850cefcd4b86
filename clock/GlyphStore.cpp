#include "clock/GlyphStore.h"

const GlyphStore& GlyphStore::instance() {
    static const GlyphStore store;
    return store;
}

GlyphStore::GlyphStore()
    : m_dots(QStringLiteral(":/glyphs/dots.xpm"))
    , m_ledGrid(QStringLiteral(":/ledgrid.xpm")) {
    static const char* const names[] = {"zero", "one", "two",   "three", "four",
                                        "five", "six", "seven", "eight", "nine"};
    for (int i = 0; i < 10; ++i)
        m_digits[i] = QImage(QStringLiteral(":/glyphs/%1.xpm").arg(QLatin1String(names[i])));
}
