#include "ClockFixture.h"
#include "clock/ClockWindow.h"
#include "clock/Stopwatch.h"
#include "fakes/FakeServices.h"
#include "widgets/CommandLabel.h"

#include <QFileInfo>
#include <QTest>
#include <QTimer>

// The stopwatch on labels of its own, with a clock the test moves.
struct Bench {
    CommandLabel startCommand, pauseCommand, hoursReadout, minutesReadout, secondsReadout;
    FakeSoundPlayer sound;
    FakeUptimeClock clock;
    Stopwatch stopwatch{
        {&startCommand, &pauseCommand, &hoursReadout, &minutesReadout, &secondsReadout},
        sound,
        clock,
        nullptr};
    QTimer& stopwatchTimer = *stopwatch.findChild<QTimer*>();

    QString readout() const {
        return hoursReadout.text() + ':' + minutesReadout.text() + ':' + secondsReadout.text();
    }
    // Lets time pass, then delivers the tick the timer would.
    void after(qint64 msecs) {
        clock.now += msecs;
        stopwatch.tick();
    }
    // The next tick is due just after the next whole second of the count.
    void expectNextTickIn(int fromMs, int toMs) {
        QVERIFY(stopwatchTimer.isActive());
        QVERIFY2(stopwatchTimer.remainingTime() > fromMs && stopwatchTimer.remainingTime() <= toMs,
                 qPrintable(QString::number(stopwatchTimer.remainingTime())));
    }
};

class StopwatchTest : public QObject {
    Q_OBJECT

private slots:
    void counting_data();
    void counting();
    void everySecondForAnHourChimesOnce();
    void chimePlaysTheInstalledOrBundledRing();
    void startArmsAOneSecondPreciseTimer();
    void aStallOrSuspendLosesNoTime();
    void pauseDropsTheStartedSecondOnly();
    void stopWhilePausedClears();
    void pauseDoesNothingBeforeStart();
};

void StopwatchTest::counting_data() {
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<QString>("readout");
    QTest::addColumn<int>("chimes");

    QTest::newRow("just short of a second") << qint64(999) << "00:00:00" << 0;
    QTest::newRow("first second") << qint64(1000) << "00:00:01" << 0;
    QTest::newRow("59 seconds") << qint64(59'500) << "00:00:59" << 0;
    QTest::newRow("a full minute") << qint64(60'000) << "00:01:00" << 0;
    QTest::newRow("the hour") << qint64(3'600'000) << "01:00:00" << 1;
    QTest::newRow("ten hours at once") << qint64(36'000'000) << "10:00:00" << 1;
    QTest::newRow("past 99 hours") << qint64(360'001'000) << "100:00:01" << 1;
}

void StopwatchTest::counting() {
    QFETCH(qint64, elapsed);
    QFETCH(QString, readout);
    QFETCH(int, chimes);

    Bench b;
    b.stopwatch.startStopClicked();
    b.after(elapsed);
    QCOMPARE(b.readout(), readout);
    QCOMPARE(b.sound.played.size(), chimes);
}

void StopwatchTest::everySecondForAnHourChimesOnce() {
    Bench b;
    b.stopwatch.startStopClicked();
    for (int i = 0; i < 3599; ++i)
        b.after(1000);
    QCOMPARE(b.readout(), QStringLiteral("00:59:59"));
    QCOMPARE(b.sound.played.size(), 0);
    b.after(1000);
    QCOMPARE(b.readout(), QStringLiteral("01:00:00"));
    b.after(1000);
    QCOMPARE(b.readout(), QStringLiteral("01:00:01"));
    QCOMPARE(b.sound.played.size(), 1);
}

void StopwatchTest::chimePlaysTheInstalledOrBundledRing() {
    Bench b;
    b.stopwatch.startStopClicked();
    b.after(3'600'000);
    QCOMPARE(b.sound.played.size(), 1);
    const QFileInfo file(b.sound.played.first());
    QCOMPARE(file.fileName(), QStringLiteral("CallRing.wav"));
    QVERIFY2(file.isFile(), qPrintable(file.filePath()));
}

void StopwatchTest::startArmsAOneSecondPreciseTimer() {
    ClockFixture f;
    f.start();
    f.unfold();
    auto* stopwatchTimer = f.child<QTimer>("stopwatchTimer");
    auto* pauseCommand = f.child("pauseCommand");
    QVERIFY(!stopwatchTimer->isActive());
    QVERIFY(!pauseCommand->isEnabled());

    emit f.child("startCommand")->clicked();
    QVERIFY(stopwatchTimer->isActive());
    QVERIFY(stopwatchTimer->remainingTime() > 990 && stopwatchTimer->remainingTime() <= 1005);
    QCOMPARE(stopwatchTimer->timerType(), Qt::PreciseTimer);
    QVERIFY(pauseCommand->isEnabled());
    QCOMPARE(f.child("startCommand")->text(), QStringLiteral("Stop"));

    // The timer's tick reads the clock.
    f.uptime.now += 1000;
    QTRY_COMPARE_WITH_TIMEOUT(f.child("secondsReadout")->text(), QStringLiteral("01"), 2000);
    QVERIFY(stopwatchTimer->isActive());
}

void StopwatchTest::aStallOrSuspendLosesNoTime() {
    // Start, 5 s, then 20.3 s with no tick at all (a stopped process, a suspend).
    Bench b;
    b.stopwatch.startStopClicked();
    b.expectNextTickIn(990, 1005);
    for (int i = 0; i < 5; ++i)
        b.after(1000);
    QCOMPARE(b.readout(), QStringLiteral("00:00:05"));
    b.after(20'300);
    QCOMPARE(b.readout(), QStringLiteral("00:00:25"));
    // Back in step with the count's own seconds, 25.3 s in.
    b.expectNextTickIn(690, 705);
    // A tick that comes early shows nothing new and waits for the second.
    b.after(600);
    QCOMPARE(b.readout(), QStringLiteral("00:00:25"));
    b.expectNextTickIn(90, 105);
}

void StopwatchTest::pauseDropsTheStartedSecondOnly() {
    Bench b;
    b.stopwatch.startStopClicked();
    b.after(10'000);
    // Paused 3.6 s later without a tick in between: those whole seconds still count.
    b.clock.now += 3600;
    b.stopwatch.pauseClicked();
    QVERIFY(!b.stopwatchTimer.isActive());
    QCOMPARE(b.readout(), QStringLiteral("00:00:13"));
    QCOMPARE(b.startCommand.text(), QStringLiteral("Stop"));
    QCOMPARE(b.pauseCommand.text(), QStringLiteral("Pause"));

    // Time spent paused does not count; the count resumes with a fresh second.
    b.clock.now += 50'000;
    b.stopwatch.pauseClicked();
    b.expectNextTickIn(990, 1005);
    b.after(999);
    QCOMPARE(b.readout(), QStringLiteral("00:00:13"));
    b.after(1);
    QCOMPARE(b.readout(), QStringLiteral("00:00:14"));
}

void StopwatchTest::stopWhilePausedClears() {
    Bench b;
    b.stopwatch.startStopClicked();
    b.after(75'000);
    b.stopwatch.pauseClicked();
    b.stopwatch.startStopClicked();
    QCOMPARE(b.readout(), QStringLiteral("00:00:00"));
    QCOMPARE(b.startCommand.text(), QStringLiteral("Start"));
    QVERIFY(!b.pauseCommand.isEnabled());
    QVERIFY(!b.stopwatchTimer.isActive());

    // Started again, it counts from zero.
    b.stopwatch.startStopClicked();
    b.after(1000);
    QCOMPARE(b.readout(), QStringLiteral("00:00:01"));
}

void StopwatchTest::pauseDoesNothingBeforeStart() {
    // Clicked for real: a disabled label gets no click at all.
    ClockFixture f;
    f.start();
    f.unfold();
    auto* pauseCommand = f.child("pauseCommand");
    const QPoint pause = pauseCommand->geometry().topLeft() + QPoint(12, 3);
    QCOMPARE(f.clock->childAt(pause), pauseCommand);
    QTest::mouseClick(f.clock->windowHandle(), Qt::LeftButton, {}, pause);

    QVERIFY(!f.child<QTimer>("stopwatchTimer")->isActive());
    QCOMPARE(f.child("startCommand")->text(), QStringLiteral("Start"));
    QCOMPARE(f.clock->height(), 194);
}

QTEST_MAIN(StopwatchTest)
#include "tst_stopwatch.moc"
