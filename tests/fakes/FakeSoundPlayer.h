#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

// Records the files it was asked to play.
class FakeSoundPlayer : public SoundPlayer {
public:
    QStringList played;
    void playWave(const QString& path) override { played << path; }
};
