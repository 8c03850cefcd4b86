#pragma once

#include "platform/Mixer.h"

#include <QObject>

class CommandLabel;
class MessageBox;
class QWidget;

// The Sound command: sets the system's master volume to nearly full ("On") or to
// nothing ("Off"). The switch keeps its own state, which soundState shows once the panel is
// built; the volume is never read back.
class SoundSwitch : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 OnVolume = 65534;
    static constexpr quint32 OffVolume = 0;

    SoundSwitch(Mixer& mixer, MessageBox& messages, QWidget* window);

    // Opens the mixer for the rest of the program and turns the volume up.
    void startUp();
    // Shows the state on these labels from now on, and switches on a click on the command.
    void showOn(CommandLabel* soundCommand, CommandLabel* soundState);

private:
    void toggle();
    // Writes the state's caption and the command's accessible name.
    void showState();

    CommandLabel* m_command = nullptr;
    CommandLabel* m_state = nullptr;
    Mixer& m_mixer;
    MessageBox& m_messages;
    QWidget* m_window;

    Mixer::Handle m_mixerHandle = nullptr;
    Mixer::Control m_volumeControl;
    bool m_controlFound = false;
    bool m_on = true;
};
