#include "clock/Stopwatch.h"

#include "platform/SoundPlayer.h"
#include "platform/UptimeClock.h"
#include "widgets/CommandLabel.h"

#include <QTimer>

namespace {

// A tick comes this long after the second it shows has passed, never just before it.
constexpr int tickMargin = 5;

QString twoDigits(qint64 value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

} // namespace

Stopwatch::Stopwatch(const Controls& controls, SoundPlayer& sound, const UptimeClock& clock,
                     QObject* parent)
    : QObject(parent)
    , m_c(controls)
    , m_sound(sound)
    , m_clock(clock) {
    m_c.stopwatchTimer->setTimerType(Qt::PreciseTimer);
    m_c.stopwatchTimer->setSingleShot(true);
    m_c.stopwatchTimer->setInterval(1000);
    connect(m_c.stopwatchTimer, &QTimer::timeout, this, &Stopwatch::tick);
    connect(m_c.startCommand, &CommandLabel::clicked, this, &Stopwatch::startStopClicked);
    connect(m_c.pauseCommand, &CommandLabel::clicked, this, &Stopwatch::pauseClicked);
}

void Stopwatch::startStopClicked() {
    if (m_c.startCommand->text() == QLatin1String("Start")) {
        m_before = 0;
        m_shown = 0;
        runFromNow();
        m_c.pauseCommand->setEnabled(true);
        m_c.startCommand->setText(QStringLiteral("Stop"));
        return;
    }
    m_c.stopwatchTimer->stop();
    m_c.pauseCommand->setEnabled(false);
    m_c.startCommand->setText(QStringLiteral("Start"));
    m_c.hoursReadout->setText(QStringLiteral("00"));
    m_c.minutesReadout->setText(QStringLiteral("00"));
    m_c.secondsReadout->setText(QStringLiteral("00"));
    m_shown = 0;
    emit shown(0);
}

void Stopwatch::pauseClicked() {
    if (!m_c.pauseCommand->isEnabled())
        return;
    if (m_c.stopwatchTimer->isActive()) {
        // Count what has passed up to now; the second under way is dropped.
        m_before = countedSeconds();
        show(m_before);
        m_c.stopwatchTimer->stop();
    } else {
        runFromNow();
    }
}

void Stopwatch::tick() {
    show(countedSeconds());
    armNextTick();
}

qint64 Stopwatch::countedSeconds() const {
    return m_before + qMax<qint64>(0, m_clock.msecsNow() - m_runStart) / 1000;
}

void Stopwatch::show(qint64 seconds) {
    // One chime for reaching a new hour, however many hours a suspend skipped.
    if (seconds / 3600 > m_shown / 3600)
        m_sound.playWave(SoundFiles::hourlyChime());
    m_shown = seconds;
    m_c.secondsReadout->setText(twoDigits(seconds % 60));
    m_c.minutesReadout->setText(twoDigits(seconds / 60 % 60));
    m_c.hoursReadout->setText(twoDigits(seconds / 3600));
    emit shown(seconds);
}

void Stopwatch::runFromNow() {
    m_runStart = m_clock.msecsNow();
    armNextTick();
}

void Stopwatch::armNextTick() {
    const qint64 intoSecond = qMax<qint64>(0, m_clock.msecsNow() - m_runStart) % 1000;
    m_c.stopwatchTimer->start(int(1000 - intoSecond) + tickMargin);
}
