#include "platform/MessageBox.h"
#include "platform/Services.h"
#include "platform/TimeText.h"
#include "platform/WindowManager.h"

Services Services::system() {
    static SystemTimeText time;
    static QtWindowManager windows;
    static QtMessageBox messages;

    Services services;
    services.time = &time;
    services.windows = &windows;
    services.messages = &messages;
    return services;
}
