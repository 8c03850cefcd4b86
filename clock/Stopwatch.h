#pragma once

#include <QObject>

class CommandLabel;
class QTimer;
class SoundPlayer;
class UptimeClock;

// The panel's stopwatch. startCommand reads "Start" or "Stop", stopwatchTimer runs while it counts.
// The readout shows the real time elapsed since Start, less the time spent paused,
// so late ticks, a stalled process or a suspend of the computer lose nothing.
class Stopwatch : public QObject {
    Q_OBJECT
public:
    struct Controls {
        CommandLabel* startCommand; // Start/Stop
        CommandLabel* pauseCommand; // Pause
        CommandLabel* hoursReadout;
        CommandLabel* minutesReadout;
        CommandLabel* secondsReadout;
        QTimer* stopwatchTimer;
    };

    Stopwatch(const Controls& controls, SoundPlayer& sound, const UptimeClock& clock,
              QObject* parent);

signals:
    // The readout now shows this many seconds.
    void shown(qint64 seconds);

public slots:
    void startStopClicked();
    void pauseClicked();
    // Brings the readout up to the time elapsed and waits for the next whole second.
    void tick();

private:
    qint64 countedSeconds() const;
    void show(qint64 seconds);
    void runFromNow();
    void armNextTick();

    Controls m_c;
    SoundPlayer& m_sound;
    const UptimeClock& m_clock;
    // Whole seconds counted before the current run, that is before the last pause.
    qint64 m_before = 0;
    // When the current run started, in the clock's milliseconds.
    qint64 m_runStart = 0;
    qint64 m_shown = 0;
};
