#pragma once

#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMixer.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSoundPlayer.h"
#include "fakes/FakeUptimeClock.h"
#include "fakes/FakeWallClock.h"
#include "fakes/FakeWindowManager.h"
#include "platform/Services.h"

// Every platform service replaced by a stand-in.
struct FakeServices {
    FakeWallClock time;
    FakeWindowManager windows;
    FakeMessageBox messages;
    FakeShell shell;
    FakeFileDialog files;
    FakeMixer mixer;
    FakeSoundPlayer sound;
    FakeUptimeClock uptime;

    Services services() {
        Services s;
        s.time = &time;
        s.windows = &windows;
        s.messages = &messages;
        s.shell = &shell;
        s.files = &files;
        s.mixer = &mixer;
        s.sound = &sound;
        s.uptime = &uptime;
        return s;
    }
};
