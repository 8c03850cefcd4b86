#include "clock/SoundSwitch.h"

#include "platform/MessageBox.h"
#include "widgets/CommandLabel.h"

SoundSwitch::SoundSwitch(Mixer& mixer, MessageBox& messages, QWidget* window)
    : QObject(window)
    , m_mixer(mixer)
    , m_messages(messages)
    , m_window(window) {
}

void SoundSwitch::showOn(CommandLabel* soundCommand, CommandLabel* soundState) {
    m_command = soundCommand;
    m_state = soundState;
    connect(soundCommand, &CommandLabel::clicked, this, &SoundSwitch::toggle);
    showState();
}

void SoundSwitch::startUp() {
    if (!m_mixer.open(m_mixerHandle)) {
        m_messages.showError(m_window, QStringLiteral("Volume Control"),
                             QStringLiteral("Could not open the mixer."));
        return;
    }
    m_controlFound = m_mixer.findVolumeControl(m_mixerHandle, m_volumeControl);
    if (m_controlFound)
        m_mixer.writeVolume(m_mixerHandle, m_volumeControl, OnVolume);
}

void SoundSwitch::toggle() {
    m_on = !m_on;
    showState();
    if (m_controlFound)
        m_mixer.writeVolume(m_mixerHandle, m_volumeControl, m_on ? OnVolume : OffVolume);
}

void SoundSwitch::showState() {
    const QString state = m_on ? QStringLiteral("On") : QStringLiteral("Off");
    m_state->setText(state);
    // A screen reader hears the command with its state.
    m_command->setAccessibleName(QStringLiteral("Sound ") + state);
}
