#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Mixer.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/SoundPlayer.h"
#include "platform/UptimeClock.h"
#include "platform/WallClock.h"
#include "platform/WindowManager.h"

Services Services::system() {
    static SystemWallClock time;
    static QtWindowManager windows;
    static QtMessageBox messages;
    static SystemShell shell;
    static QtFileDialog files;
    static AlsaMixer mixer;
    static QtSoundPlayer sound;
    static SystemUptimeClock uptime;

    Services services;
    services.time = &time;
    services.windows = &windows;
    services.messages = &messages;
    services.shell = &shell;
    services.files = &files;
    services.mixer = &mixer;
    services.sound = &sound;
    services.uptime = &uptime;
    return services;
}
