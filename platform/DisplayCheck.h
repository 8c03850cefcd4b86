#pragma once

#include "platform/SessionPlatform.h"

#include <QByteArray>
#include <QString>

// Tempivo places its own window and keeps it on top, which it can do only on an X display (a
// plain X11 session or XWayland). Without one Qt would abort; Tempivo says what it needs instead.
struct DisplayRequest {
    QByteArray platform; // -platform, else QT_QPA_PLATFORM, else what Tempivo forces; may be empty
    QByteArray display;  // -display, else $DISPLAY
    SessionEnvironment session;

    // The options given on the command line, else the environment.
    static DisplayRequest fromProcess(const QByteArray& platformOption,
                                      const QByteArray& displayOption);
};

// One line for the user when the clock cannot start on this display, else empty. A platform the
// user picked other than X11 (offscreen, vnc...) is left to Qt.
QString displayProblem(const DisplayRequest& request);
