#pragma once

#include <QString>
#include <QStringList>

// Plays wave files without waiting for them.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts playing the file and returns at once; a missing or unplayable file plays nothing.
    virtual void playWave(const QString& path) = 0;
};

// Plays through Qt Multimedia, which it loads with the first chime.
class QtSoundPlayer : public SoundPlayer {
public:
    // Where to look for the player module; by default beside the other installed
    // libraries, then beside the program.
    explicit QtSoundPlayer(const QStringList& moduleDirs = {});

    void playWave(const QString& path) override;

private:
    QStringList m_moduleDirs;
    using PlayFunction = void (*)(const QString*);
    PlayFunction m_play = nullptr;
    bool m_loadFailed = false;
};

namespace SoundFiles {
// The stopwatch's hourly chime: the installed copy, else the build tree's.
QString hourlyChime();
} // namespace SoundFiles
