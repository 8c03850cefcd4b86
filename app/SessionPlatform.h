#pragma once

#include <QByteArray>

// The environment values that decide which Qt platform plugin Tempivo runs on.
struct SessionEnvironment {
    QByteArray qtQpaPlatform;  // QT_QPA_PLATFORM
    QByteArray display;        // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE

    static SessionEnvironment fromProcess();
};

// The platform to force before the application object exists, or empty to leave Qt's choice.
// A Wayland client can neither place its own window nor keep it above others, so in a Wayland
// session with XWayland the clock runs on X11, unless the user picked a platform.
QByteArray platformToForce(const SessionEnvironment& env);
