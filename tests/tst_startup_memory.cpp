#include "platform/StartupMemory.h"
#include "widgets/Fonts.h"

#include <QLabel>
#include <QTest>

#include <numeric>

class StartupMemoryTest : public QObject {
    Q_OBJECT

private slots:
    // Fonts and fontconfig come back at the next text, aliases included: it looks as it did.
    void textDrawsAlikeAfterTheFontsAreDropped() {
        installFontSubstitutions();
        QLabel label(QStringLiteral("Sound On"));
        label.setFont(layoutFont(QStringLiteral("OCR A Extended"), 8.25));
        const QImage before = label.grab().toImage();
        for (int drop = 0; drop < 2; ++drop) {
            StartupMemory::dropTextResources();
            QCOMPARE(label.grab().toImage(), before);
        }
    }

    // Only the pages below the caller go: its own data stays.
    void theCallersDataStays() {
        std::array<char, 3 * 4096> mine{};
        std::iota(mine.begin(), mine.end(), 'a');
        const std::array<char, 3 * 4096> expected = mine;
        StartupMemory::returnStackBelowCaller();
        QVERIFY(mine == expected);
    }
};

QTEST_MAIN(StartupMemoryTest)
#include "tst_startup_memory.moc"
