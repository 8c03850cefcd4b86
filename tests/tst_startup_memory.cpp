#include "platform/StartupMemory.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <numeric>

namespace {

QImage drawn(const QString& caption, const QFont& font) {
    QLabel label(caption);
    label.setFont(font);
    label.resize(120, 24);
    return label.grab().toImage();
}

// Writes deep into the stack, so that there are pages below the test's frame to give back.
int deepSum(int depth) {
    volatile char block[4096];
    for (size_t i = 0; i < sizeof block; i += 512)
        block[i] = static_cast<char>(depth);
    return depth == 0 ? block[0] : block[512] + deepSum(depth - 1);
}

} // namespace

class StartupMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installFontSubstitutions(); }

    // Fonts and fontconfig come back at the next text: it looks as it did, drop after drop.
    void textDrawsAlikeAfterTheFontsAreDropped() {
        const QFont fonts[] = {QApplication::font(),
                               layoutFont(QStringLiteral("OCR A Extended"), 8.25)};
        for (const QFont& font : fonts) {
            const QImage before = drawn(QStringLiteral("Sound On"), font);
            for (int drop = 0; drop < 2; ++drop) {
                StartupMemory::dropTextResources();
                QCOMPARE(drawn(QStringLiteral("Sound On"), font), before);
            }
        }
    }

    // Only the pages below the caller go: its own data stays, and the stack grows again.
    void theCallersDataStays() {
        QCOMPARE(deepSum(64), 64 * 65 / 2);
        std::array<char, 3 * 4096> mine{};
        std::iota(mine.begin(), mine.end(), 'a');
        std::array<char, 3 * 4096> expected = mine;
        StartupMemory::returnStackBelowCaller();
        QVERIFY(mine == expected);
        QCOMPARE(deepSum(64), 64 * 65 / 2);
    }
};

QTEST_MAIN(StartupMemoryTest)
#include "tst_startup_memory.moc"
