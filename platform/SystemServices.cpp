#include "platform/MessageBox.h"
#include "platform/Mixer.h"
#include "platform/Services.h"
#include "platform/SoundPlayer.h"
#include "platform/TimeText.h"
#include "platform/WindowManager.h"

Services Services::system() {
    static SystemTimeText time;
    static QtWindowManager windows;
    static QtMessageBox messages;
    static AlsaMixer mixer;
    static QtSoundPlayer sound;

    Services services;
    services.time = &time;
    services.windows = &windows;
    services.messages = &messages;
    services.mixer = &mixer;
    services.sound = &sound;
    return services;
}
