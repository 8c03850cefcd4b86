#pragma once

#include "app/SessionPlatform.h"

#include <QByteArray>
#include <QString>

struct xcb_connection_t;

// What decides the display Tempivo will run on.
struct DisplayRequest {
    QByteArray platform; // -platform, else QT_QPA_PLATFORM; empty when neither is given
    QByteArray display;  // -display, else $DISPLAY
    SessionEnvironment session;

    // The options given on the command line, else the environment.
    static DisplayRequest fromProcess(const QByteArray& platformOption,
                                      const QByteArray& displayOption);
};

// Tempivo places its own window and keeps it on top, which it can do only on an X display (a
// plain X11 session or XWayland). Without one Qt would abort; Tempivo says what it needs instead.
// A platform the user picked other than X11 (offscreen, vnc...) is left to Qt.
class DisplayCheck {
public:
    explicit DisplayCheck(const DisplayRequest& request);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // One line for the user when the clock cannot start on this display, else empty.
    const QString& problem() const { return m_problem; }
    // Drops the test connection. Call it once Qt has connected: an X server whose last client
    // leaves resets itself, and Qt would find it in the middle of that.
    void close();

private:
    xcb_connection_t* m_connection = nullptr;
    QString m_problem;
};
