#include "clock/GlyphStore.h"

#include "widgets/XpmImage.h"

const GlyphStore& GlyphStore::instance() {
    static const GlyphStore store;
    return store;
}

GlyphStore::GlyphStore()
    : m_dots(readXpmImage(QStringLiteral(":/glyphs/dots.xpm")))
    , m_ledGrid(readXpmImage(QStringLiteral(":/ledgrid.xpm"))) {
    static const char* const names[] = {"zero", "one", "two",   "three", "four",
                                        "five", "six", "seven", "eight", "nine"};
    for (int i = 0; i < 10; ++i)
        m_digits[i] = readXpmImage(QStringLiteral(":/glyphs/%1.xpm").arg(QLatin1String(names[i])));
}
