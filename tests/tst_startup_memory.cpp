#include "platform/StartupMemory.h"
#include "widgets/Fonts.h"

#include <QLabel>
#include <QTest>

#include <cstdlib>
#include <malloc.h>
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

    // Blocks the main thread freed last, which malloc keeps for it, are free heap afterwards.
    void cachedBlocksReturnToTheHeap() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer has an allocator of its own");
#endif
        std::array<void*, 7> blocks{};
        for (void*& block : blocks)
            block = std::malloc(200);
        for (void* block : blocks)
            std::free(block);
        const size_t inUse = mallinfo2().uordblks;
        StartupMemory::returnFreeHeap();
        QVERIFY(mallinfo2().uordblks + blocks.size() * 200 <= inUse);
    }
};

QTEST_MAIN(StartupMemoryTest)
#include "tst_startup_memory.moc"
