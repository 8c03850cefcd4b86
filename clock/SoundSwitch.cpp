#include "clock/SoundSwitch.h"

#include "platform/CommandLabel.h"
#include "platform/MessageBox.h"

SoundSwitch::SoundSwitch(CommandLabel* Label2, CommandLabel* OfforOn, Mixer& mixer,
                         MessageBox& messages, QWidget* window)
    : QObject(window)
    , m_state(OfforOn)
    , m_mixer(mixer)
    , m_messages(messages)
    , m_window(window) {
    connect(Label2, &CommandLabel::clicked, this, &SoundSwitch::clicked);
}

void SoundSwitch::startUp() {
    if (!m_mixer.open(MixerHandle)) {
        m_messages.showError(m_window, QStringLiteral("Volume Control"),
                             QStringLiteral("Could not open the mixer."));
        return;
    }
    m_controlFound = m_mixer.FindVolumeControl(MixerHandle, VolumeControl);
    if (m_controlFound)
        m_mixer.WriteVolume(MixerHandle, VolumeControl, OnVolume);
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
        m_mixer.WriteVolume(MixerHandle, VolumeControl, volume);
}
