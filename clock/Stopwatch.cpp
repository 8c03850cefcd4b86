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
    , m_controls(controls)
    , m_sound(sound)
    , m_clock(clock)
    , m_tickTimer(new QTimer(this)) {
    m_tickTimer->setObjectName(QStringLiteral("stopwatchTimer"));
    m_tickTimer->setTimerType(Qt::PreciseTimer);
    m_tickTimer->setSingleShot(true);
    connect(m_tickTimer, &QTimer::timeout, this, &Stopwatch::tick);
    connect(m_controls.startCommand, &CommandLabel::clicked, this, &Stopwatch::startStopClicked);
    connect(m_controls.pauseCommand, &CommandLabel::clicked, this, &Stopwatch::pauseClicked);
    showState();
    showReadout();
}

void Stopwatch::startStopClicked() {
    if (m_state == State::Stopped) {
        m_secondsBeforeRun = 0;
        m_shownSeconds = 0;
        m_state = State::Running;
        runFromNow();
        showState();
        emit runningChanged(true);
        return;
    }
    const bool wasRunning = isRunning();
    m_tickTimer->stop();
    m_state = State::Stopped;
    m_shownSeconds = 0;
    showState();
    showReadout();
    emit shown(0);
    if (wasRunning)
        emit runningChanged(false);
}

void Stopwatch::pauseClicked() {
    switch (m_state) {
    case State::Stopped:
        return;
    case State::Running:
        // Count what has passed up to now; the second under way is dropped.
        m_secondsBeforeRun = countedSeconds();
        show(m_secondsBeforeRun);
        m_tickTimer->stop();
        m_state = State::Paused;
        break;
    case State::Paused:
        m_state = State::Running;
        runFromNow();
        break;
    }
    showState();
    emit runningChanged(isRunning());
}

void Stopwatch::tick() {
    if (m_state != State::Running)
        return;
    show(countedSeconds());
    armNextTick();
    emit secondTurned();
}

qint64 Stopwatch::countedSeconds() const {
    return m_secondsBeforeRun + qMax<qint64>(0, m_clock.msecsNow() - m_runStartMsecs) / 1000;
}

void Stopwatch::show(qint64 seconds) {
    // One chime for reaching a new hour, however many hours a suspend skipped.
    if (seconds / 3600 > m_shownSeconds / 3600)
        m_sound.playWave(SoundFiles::hourlyChime());
    m_shownSeconds = seconds;
    showReadout();
    emit shown(seconds);
}

void Stopwatch::showReadout() {
    m_controls.secondsReadout->setText(twoDigits(m_shownSeconds % 60));
    m_controls.minutesReadout->setText(twoDigits(m_shownSeconds / 60 % 60));
    m_controls.hoursReadout->setText(twoDigits(m_shownSeconds / 3600));
}

void Stopwatch::showState() {
    m_controls.startCommand->setText(m_state == State::Stopped ? QStringLiteral("Start")
                                                               : QStringLiteral("Stop"));
    // Pause also continues a paused count: its caption stays.
    m_controls.pauseCommand->setText(QStringLiteral("Pause"));
    m_controls.pauseCommand->setEnabled(m_state != State::Stopped);
}

void Stopwatch::runFromNow() {
    m_runStartMsecs = m_clock.msecsNow();
    armNextTick();
}

void Stopwatch::armNextTick() {
    const qint64 intoSecond = qMax<qint64>(0, m_clock.msecsNow() - m_runStartMsecs) % 1000;
    m_tickTimer->start(int(1000 - intoSecond) + tickMargin);
}
