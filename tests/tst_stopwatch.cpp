#include "clock/ClockWindow.h"
#include "clock/Stopwatch.h"
#include "fakes/FakeServices.h"
#include "platform/CommandLabel.h"

#include <QFileInfo>
#include <QTest>
#include <QTimer>

// The stopwatch on labels of its own, ticked by hand.
struct Bench {
    CommandLabel Label4, Label5, lblH, lblM, lblS;
    QTimer Timer3;
    FakeSoundPlayer sound;
    Stopwatch stopwatch{{&Label4, &Label5, &lblH, &lblM, &lblS, &Timer3}, sound, nullptr};

    Bench() {
        Label4.setText(QStringLiteral("Start"));
        Label5.setText(QStringLiteral("Pause"));
        Label5.setEnabled(false);
        for (CommandLabel* l : {&lblH, &lblM, &lblS})
            l->setText(QStringLiteral("00"));
    }
    QString readout() const { return lblH.text() + ':' + lblM.text() + ':' + lblS.text(); }
    void ticks(int count) {
        for (int i = 0; i < count; ++i)
            stopwatch.tick();
    }
};

class StopwatchTest : public QObject {
    Q_OBJECT

private slots:
    void counting_data();
    void counting();
    void chimePlaysTheInstalledOrBundledRing();
    void startArmsAOneSecondPreciseTimer();
    void pauseAndResumeKeepTheCount();
    void stopWhilePausedClears();
    void pauseDoesNothingBeforeStart();
};

void StopwatchTest::counting_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("chimes");

    QTest::newRow("first second") << "00:00:00" << 1 << "00:00:01" << 0;
    QTest::newRow("59 seconds") << "00:00:00" << 59 << "00:00:59" << 0;
    QTest::newRow("a full minute") << "00:00:00" << 60 << "00:01:00" << 0;
    QTest::newRow("the hour") << "00:59:59" << 1 << "01:00:00" << 1;
    QTest::newRow("one second past the hour") << "00:59:59" << 2 << "01:00:01" << 1;
    QTest::newRow("an hour of ticks") << "00:00:00" << 3600 << "01:00:00" << 1;
    QTest::newRow("ten hours") << "09:59:59" << 1 << "10:00:00" << 1;
    QTest::newRow("past 99 hours") << "99:59:59" << 1 << "100:00:00" << 1;
}

void StopwatchTest::counting() {
    QFETCH(QString, from);
    QFETCH(int, ticks);
    QFETCH(QString, to);
    QFETCH(int, chimes);

    Bench b;
    b.stopwatch.startStopClicked();
    const QStringList parts = from.split(':');
    b.lblH.setText(parts[0]);
    b.lblM.setText(parts[1]);
    b.lblS.setText(parts[2]);
    b.ticks(ticks);
    QCOMPARE(b.readout(), to);
    QCOMPARE(b.sound.played.size(), chimes);
}

void StopwatchTest::chimePlaysTheInstalledOrBundledRing() {
    Bench b;
    b.lblM.setText(QStringLiteral("59"));
    b.lblS.setText(QStringLiteral("59"));
    b.ticks(1);
    QCOMPARE(b.sound.played.size(), 1);
    const QFileInfo file(b.sound.played.first());
    QCOMPARE(file.fileName(), QStringLiteral("CallRing.wav"));
    QVERIFY2(file.isFile(), qPrintable(file.filePath()));
}

void StopwatchTest::startArmsAOneSecondPreciseTimer() {
    FakeServices fakes;
    ClockWindow clock(fakes.services());
    auto* Timer3 = clock.findChild<QTimer*>(QStringLiteral("Timer3"));
    auto* Label4 = clock.findChild<CommandLabel*>(QStringLiteral("Label4"));
    auto* Label5 = clock.findChild<CommandLabel*>(QStringLiteral("Label5"));
    QVERIFY(!Timer3->isActive());
    QVERIFY(!Label5->isEnabled());

    emit Label4->clicked();
    QVERIFY(Timer3->isActive());
    QCOMPARE(Timer3->interval(), 1000);
    QCOMPARE(Timer3->timerType(), Qt::PreciseTimer);
    QVERIFY(!Timer3->isSingleShot());
    QVERIFY(Label5->isEnabled());
    QCOMPARE(Label4->text(), QStringLiteral("Stop"));
}

void StopwatchTest::pauseAndResumeKeepTheCount() {
    Bench b;
    b.stopwatch.startStopClicked();
    b.ticks(10);
    b.stopwatch.pauseClicked();
    QVERIFY(!b.Timer3.isActive());
    QCOMPARE(b.Label4.text(), QStringLiteral("Stop"));
    QCOMPARE(b.Label5.text(), QStringLiteral("Pause"));
    QCOMPARE(b.readout(), QStringLiteral("00:00:10"));

    b.stopwatch.pauseClicked();
    QVERIFY(b.Timer3.isActive());
    QVERIFY(b.Timer3.remainingTime() > 900);
    b.ticks(1);
    QCOMPARE(b.readout(), QStringLiteral("00:00:11"));
}

void StopwatchTest::stopWhilePausedClears() {
    Bench b;
    b.stopwatch.startStopClicked();
    b.ticks(75);
    b.stopwatch.pauseClicked();
    b.stopwatch.startStopClicked();
    QCOMPARE(b.readout(), QStringLiteral("00:00:00"));
    QCOMPARE(b.Label4.text(), QStringLiteral("Start"));
    QVERIFY(!b.Label5.isEnabled());
    QVERIFY(!b.Timer3.isActive());

    // Started again, it counts from zero.
    b.stopwatch.startStopClicked();
    b.ticks(1);
    QCOMPARE(b.readout(), QStringLiteral("00:00:01"));
}

void StopwatchTest::pauseDoesNothingBeforeStart() {
    // Clicked for real: a disabled label gets no click at all.
    FakeServices fakes;
    ClockWindow clock(fakes.services());
    clock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&clock));
    QTest::mouseClick(clock.windowHandle(), Qt::LeftButton, {}, QPoint(80, 5)); // unfold
    auto* Label5 = clock.findChild<CommandLabel*>(QStringLiteral("Label5"));
    const QPoint pause = Label5->geometry().topLeft() + QPoint(12, 3);
    QCOMPARE(clock.childAt(pause), Label5);
    QTest::mouseClick(clock.windowHandle(), Qt::LeftButton, {}, pause);

    QVERIFY(!clock.findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
    QCOMPARE(clock.findChild<CommandLabel*>(QStringLiteral("Label4"))->text(),
             QStringLiteral("Start"));
    QCOMPARE(clock.height(), 194);
}

QTEST_MAIN(StopwatchTest)
#include "tst_stopwatch.moc"
