#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

// Records the files it was asked to play.
class FakeSoundPlayer : public SoundPlayer {
public:
    QStringList played;
    void PlayWave(const QString& path) override { played << path; }
};
