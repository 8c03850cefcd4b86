#include "clock/GlyphStore.h"

#include <QImage>
#include <QTest>

namespace {

// The dot patterns, written out here independently of the pictures.
const char* const digitRows[10][7] = {
    {".XXX.", "X...X", "X..XX", "X.X.X", "XX..X", "X...X", ".XXX."},
    {"..X..", ".XX..", "..X..", "..X..", "..X..", "..X..", "XXXXX"},
    {".XXX.", "X...X", "....X", "..XX.", ".X...", "X....", "XXXXX"},
    {".XXX.", "X...X", "....X", "..XX.", "....X", "X...X", ".XXX."},
    {"X..X.", "X..X.", "X..X.", "XXXXX", "...X.", "...X.", "...X."},
    {"XXXXX", "X....", "X....", "XXXX.", "....X", "X...X", ".XXX."},
    {".XXX.", "X....", "X....", "XXXX.", "X...X", "X...X", ".XXX."},
    {"XXXXX", "....X", "...X.", "..X..", ".X...", ".X...", ".X..."},
    {".XXX.", "X...X", "X...X", ".XXX.", "X...X", "X...X", ".XXX."},
    {".XXX.", "X...X", "X...X", ".XXXX", "....X", "....X", ".XXX."},
};
const char* const colonRows[7] = {".", "X", "X", ".", "X", "X", "."};

const QRgb black = qRgb(0, 0, 0);
const QRgb unlit = qRgb(0, 128, 0);
const QRgb lit = qRgb(0, 255, 0);

// Compares a picture with a dot matrix: dots at odd x and odd y, black elsewhere.
QString mismatch(const QImage& image, const char* const rows[7], int columns, int width) {
    if (image.size() != QSize(width, 15))
        return QStringLiteral("size %1x%2").arg(image.width()).arg(image.height());
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < width; ++x) {
            QRgb expected = black;
            if (x % 2 == 1 && y % 2 == 1 && (x - 1) / 2 < columns && (y - 1) / 2 < 7)
                expected = rows[(y - 1) / 2][(x - 1) / 2] == 'X' ? lit : unlit;
            if (image.pixel(x, y) != expected)
                return QStringLiteral("pixel %1,%2").arg(x).arg(y);
        }
    }
    return {};
}

} // namespace

class TestGlyphStore : public QObject {
    Q_OBJECT
private slots:
    void digitsMatchTheirDotPatterns_data() {
        QTest::addColumn<int>("digit");
        for (int d = 0; d < 10; ++d)
            QTest::addRow("%d", d) << d;
    }

    void digitsMatchTheirDotPatterns() {
        QFETCH(int, digit);
        const QImage image =
            GlyphStore::instance().digit(digit).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(mismatch(image, digitRows[digit], 5, 10), QString());
    }

    void colonMatchesItsDotPattern() {
        const QImage image = GlyphStore::instance().dots().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(mismatch(image, colonRows, 1, 3), QString());
    }

    void ledGridHasDarkDotsAtOddPositions() {
        const QImage image = GlyphStore::instance().ledGrid().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(90, 16));
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 90; ++x) {
                const QRgb expected = (x % 2 == 1 && y % 2 == 1) ? unlit : black;
                QVERIFY2(image.pixel(x, y) == expected, qPrintable(QString("%1,%2").arg(x).arg(y)));
            }
        }
    }
};

QTEST_MAIN(TestGlyphStore)
#include "tst_glyph_store.moc"
