#include "clock/SoundSwitch.h"

#include "platform/MessageBox.h"
#include "widgets/CommandLabel.h"

SoundSwitch::SoundSwitch(CommandLabel* soundCommand, CommandLabel* soundState, Mixer& mixer,
                         MessageBox& messages, QWidget* window)
    : QObject(window)
    , m_state(soundState)
    , m_mixer(mixer)
    , m_messages(messages)
    , m_window(window) {
    connect(soundCommand, &CommandLabel::clicked, this, &SoundSwitch::clicked);
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

void SoundSwitch::clicked() {
    quint32 volume = OffVolume;
    if (m_state->text() == QLatin1String("Off")) {
        m_state->setText(QStringLiteral("On"));
        volume = OnVolume;
    } else {
        m_state->setText(QStringLiteral("Off"));
    }
    if (m_controlFound)
        m_mixer.writeVolume(m_mixerHandle, m_volumeControl, volume);
}
