#pragma once

#include <QObject>

class CommandLabel;
class QTimer;
class SoundPlayer;

// The panel's stopwatch. Its whole state is in its controls: the text of Label4
// ("Start" or "Stop"), whether Timer3 runs, and the three readout texts.
class Stopwatch : public QObject {
    Q_OBJECT
public:
    struct Controls {
        CommandLabel* Label4; // Start/Stop
        CommandLabel* Label5; // Pause
        CommandLabel* lblH;
        CommandLabel* lblM;
        CommandLabel* lblS;
        QTimer* Timer3;
    };

    Stopwatch(const Controls& controls, SoundPlayer& sound, QObject* parent);

public slots:
    void startStopClicked();
    void pauseClicked();
    // Counts one second.
    void tick();

private:
    Controls m_c;
    SoundPlayer& m_sound;
};
