#include "ClockFixture.h"
#include "clock/ClockWindow.h"
#include "fakes/FakeServices.h"
#include "platform/Mixer.h"
#include "widgets/CommandLabel.h"

#include <QTest>

class SoundTest : public QObject {
    Q_OBJECT

private slots:
    void startUpTurnsTheVolumeUp();
    void soundClicksSwitchTheVolume();
    void stateLabelClickDoesNothing();
    void noMixer_data();
    void noMixer();
    void scaleVolume_data();
    void scaleVolume();
};

namespace {

void click(ClockWindow& clock, const char* name) {
    auto* label = clock.findChild<CommandLabel*>(QLatin1String(name));
    QTest::mouseClick(clock.windowHandle(), Qt::LeftButton, {}, label->geometry().center());
}

QString state(ClockWindow& clock) {
    return clock.findChild<CommandLabel*>(QStringLiteral("soundState"))->text();
}

} // namespace

void SoundTest::startUpTurnsTheVolumeUp() {
    ClockFixture fakes;
    fakes.clock = std::make_unique<ClockWindow>(fakes.services());
    ClockWindow& clock = *fakes.clock;
    // Building the window neither shows it nor touches the mixer.
    QVERIFY(!clock.isVisible());
    QCOMPARE(fakes.mixer.opens, 0);
    startClock(clock);
    QCOMPARE(fakes.mixer.opens, 1);
    QCOMPARE(fakes.mixer.writes, QList<quint32>{65534});
    // The panel, built when it first unfolds, shows the state the switch kept.
    fakes.unfold();
    QCOMPARE(state(clock), QStringLiteral("On"));
    QCOMPARE(fakes.mixer.writes.size(), 1);
    QVERIFY(fakes.messages.shown.isEmpty());
}

void SoundTest::soundClicksSwitchTheVolume() {
    ClockFixture fakes;
    fakes.start();
    ClockWindow& clock = *fakes.clock;
    fakes.unfold();

    click(clock, "soundCommand");
    QCOMPARE(state(clock), QStringLiteral("Off"));
    click(clock, "soundCommand");
    QCOMPARE(state(clock), QStringLiteral("On"));
    click(clock, "soundCommand");
    QCOMPARE(fakes.mixer.writes, (QList<quint32>{65534, 0, 65534, 0}));
    QCOMPARE(fakes.mixer.opens, 1);
}

void SoundTest::stateLabelClickDoesNothing() {
    ClockFixture fakes;
    fakes.start();
    ClockWindow& clock = *fakes.clock;
    fakes.unfold();
    click(clock, "soundState");
    QCOMPARE(state(clock), QStringLiteral("On"));
    QCOMPARE(fakes.mixer.writes.size(), 1);
}

void SoundTest::noMixer_data() {
    QTest::addColumn<bool>("canOpen");
    QTest::addColumn<int>("messages");
    QTest::newRow("no mixer") << false << 1;
    QTest::newRow("no master volume") << true << 0;
}

void SoundTest::noMixer() {
    QFETCH(bool, canOpen);
    QFETCH(int, messages);
    ClockFixture fakes;
    fakes.mixer.canOpen = canOpen;
    fakes.mixer.hasControl = false;
    fakes.start();
    ClockWindow& clock = *fakes.clock;
    fakes.unfold();

    QCOMPARE(fakes.messages.shown.size(), messages);
    if (messages) {
        QCOMPARE(fakes.messages.shown.first().caption, QStringLiteral("Volume Control"));
        QCOMPARE(fakes.messages.shown.first().text, QStringLiteral("Could not open the mixer."));
    }
    click(clock, "soundCommand");
    QCOMPARE(state(clock), QStringLiteral("Off"));
    click(clock, "soundCommand");
    QCOMPARE(state(clock), QStringLiteral("On"));
    QVERIFY(fakes.mixer.writes.isEmpty());
    QCOMPARE(fakes.messages.shown.size(), messages);
}

void SoundTest::scaleVolume_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<long>("minimum");
    QTest::addColumn<long>("maximum");
    QTest::addColumn<long>("raw");

    QTest::newRow("full range, on") << 65534u << 0L << 65535L << 65534L;
    QTest::newRow("small range, on rounds up to the top") << 65534u << 0L << 87L << 87L;
    QTest::newRow("small range, off") << 0u << 0L << 87L << 0L;
    QTest::newRow("half") << 32768u << 0L << 100L << 50L;
    QTest::newRow("offset range, off is its bottom") << 0u << 10L << 20L << 10L;
    QTest::newRow("offset range, top") << 65535u << 10L << 20L << 20L;
    QTest::newRow("negative range") << 65534u << -6000L << 0L << 0L;
    QTest::newRow("above the top counts as the top") << 100000u << 0L << 255L << 255L;
    QTest::newRow("empty range") << 65534u << 5L << 5L << 5L;
}

void SoundTest::scaleVolume() {
    QFETCH(quint32, value);
    QFETCH(long, minimum);
    QFETCH(long, maximum);
    QFETCH(long, raw);
    QCOMPARE(::scaleVolume(value, minimum, maximum), raw);
}

QTEST_MAIN(SoundTest)
#include "tst_sound.moc"
