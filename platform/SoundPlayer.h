#pragma once

#include <QPointer>
#include <QString>

class QSoundEffect;

// Plays wave files without waiting for them.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts playing the file and returns at once; a missing or unplayable file plays nothing.
    virtual void PlayWave(const QString& path) = 0;
};

class QtSoundPlayer : public SoundPlayer {
public:
    void PlayWave(const QString& path) override;

private:
    QPointer<QSoundEffect> m_effect;
};

namespace SoundFiles {
// The stopwatch's hourly chime: the installed copy, else the one in the source tree.
QString callRing();
} // namespace SoundFiles
