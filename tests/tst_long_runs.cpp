#include "ClockFixture.h"
#include "StripCells.h"
#include "clock/ClockWindow.h"
#include "clock/GlyphStore.h"
#include "clock/Stopwatch.h"
#include "fakes/FakeServices.h"
#include "widgets/CommandLabel.h"
#include "widgets/Fonts.h"

#include <QFile>
#include <QTest>
#include <QTimer>

#include <malloc.h>

// Days of running compressed into seconds: the stopwatch's count and the clock's memory.
class LongRunsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void stopwatchCountsAMillionSeconds();
    void clockMemoryStaysFlat();
};

namespace {

struct Memory {
    qint64 heapBytes; // allocated through malloc, including its mmapped blocks
    qint64 residentKiB;
};

Memory memoryNow() {
    const struct mallinfo2 info = mallinfo2();
    qint64 resident = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                resident = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return {qint64(info.uordblks + info.hblkhd), resident};
}

} // namespace

void LongRunsTest::initTestCase() {
    installFontSubstitutions();
}

void LongRunsTest::stopwatchCountsAMillionSeconds() {
    ClockFixture fakes;
    fakes.start();
    ClockWindow& clock = *fakes.clock;
    QVERIFY(QTest::qWaitForWindowExposed(&clock));
    QTest::mouseClick(&clock, Qt::LeftButton, {}, QPoint(5, 5)); // unfold
    auto* startCommand = clock.findChild<CommandLabel*>(QStringLiteral("startCommand"));
    auto* stopwatch = clock.findChild<Stopwatch*>();
    QVERIFY(startCommand && stopwatch);
    emit startCommand->clicked();
    // Ticks come from here, each a second later on the stand-in clock.
    clock.findChild<QTimer*>(QStringLiteral("stopwatchTimer"))->stop();

    auto readout = [&] {
        return clock.findChild<CommandLabel*>(QStringLiteral("hoursReadout"))->text() + ':' +
               clock.findChild<CommandLabel*>(QStringLiteral("minutesReadout"))->text() + ':' +
               clock.findChild<CommandLabel*>(QStringLiteral("secondsReadout"))->text();
    };
    for (int second = 1; second <= 1000000; ++second) {
        fakes.uptime.now += 1000;
        stopwatch->tick();
        if (second % 3600 == 0) {
            // Painted now and then, as a running program would be.
            QCoreApplication::processEvents();
            QCOMPARE(readout(),
                     QStringLiteral("%1:00:00").arg(second / 3600, 2, 10, QLatin1Char('0')));
        }
    }
    QCOMPARE(readout(), "277:46:40");
    QCOMPARE(fakes.sound.played.size(), 277);
    QCOMPARE(startCommand->text(), "Stop");
}

void LongRunsTest::clockMemoryStaysFlat() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer keeps freed memory in quarantine; the plain build measures this");
#endif
    ClockFixture fakes;
    fakes.start();
    ClockWindow& clock = *fakes.clock;
    QVERIFY(QTest::qWaitForWindowExposed(&clock));

    // Every minute of the day in turn, and now and then no time at all.
    auto timeFor = [](int i) {
        return i % 7 == 0 ? QTime() : QTime::fromMSecsSinceStartOfDay((i * 13 % 86400) * 1000);
    };
    auto ticks = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            fakes.time.now = timeFor(i);
            clock.showTime();
            if (i % 10 == 0)
                QCoreApplication::processEvents(); // paints the cells
        }
    };

    ticks(0, 2000);
    const Memory before = memoryNow();
    ticks(2000, 100000);
    QCoreApplication::processEvents();
    const Memory after = memoryNow();

    // A leak of one small picture a tick would add several megabytes.
    QVERIFY2(
        after.heapBytes - before.heapBytes < 512 * 1024,
        qPrintable(QStringLiteral("heap %1 -> %2").arg(before.heapBytes).arg(after.heapBytes)));
    QVERIFY2(
        after.residentKiB - before.residentKiB < 8 * 1024,
        qPrintable(
            QStringLiteral("VmRSS %1 -> %2 KiB").arg(before.residentKiB).arg(after.residentKiB)));

    // Still showing the time it is told.
    fakes.time.now = QTime(10, 42, 7);
    clock.showTime();
    const GlyphStore& glyphs = GlyphStore::instance();
    auto cell = [&](const char* name) { return shownGlyph(clock, QLatin1String(name)); };
    QCOMPARE(cell("hourTens"), &glyphs.digit(1));
    QCOMPARE(cell("hourUnits"), &glyphs.digit(0));
    QCOMPARE(cell("minuteTens"), &glyphs.digit(4));
    QCOMPARE(cell("minuteUnits"), &glyphs.digit(2));
}

QTEST_MAIN(LongRunsTest)
#include "tst_long_runs.moc"
