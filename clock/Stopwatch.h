#pragma once

#include <QObject>

class CommandLabel;
class QTimer;
class SoundPlayer;
class UptimeClock;

// The panel's stopwatch: stopped, running or paused, and the seconds it has counted. The count
// is the real time elapsed since Start, less the time spent paused, so late ticks, a stalled
// process or a suspend of the computer lose nothing. The labels only show that state.
class Stopwatch : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Running, Paused };

    struct Controls {
        CommandLabel* startCommand; // Start/Stop
        CommandLabel* pauseCommand; // Pause, enabled unless stopped
        CommandLabel* hoursReadout;
        CommandLabel* minutesReadout;
        CommandLabel* secondsReadout;
    };

    Stopwatch(const Controls& controls, SoundPlayer& sound, const UptimeClock& clock,
              QObject* parent);

    bool isRunning() const { return m_state == State::Running; }

signals:
    // The readout now shows this many seconds.
    void shown(qint64 seconds);
    // The count's timer has shown a new second.
    void secondTurned();
    // The count has started or resumed (true), or stopped or paused (false).
    void runningChanged(bool running);

public slots:
    void startStopClicked();
    void pauseClicked();
    // Brings the readout up to the time elapsed and waits for the next whole second.
    void tick();

private:
    qint64 countedSeconds() const;
    void show(qint64 seconds);
    void showReadout();
    void showState();
    void runFromNow();
    void armNextTick();

    Controls m_controls;
    SoundPlayer& m_sound;
    const UptimeClock& m_clock;
    QTimer* m_tickTimer;
    State m_state = State::Stopped;
    // Whole seconds counted before the current run, that is before the last pause.
    qint64 m_secondsBeforeRun = 0;
    // When the current run started, in the clock's milliseconds.
    qint64 m_runStartMsecs = 0;
    qint64 m_shownSeconds = 0;
};
