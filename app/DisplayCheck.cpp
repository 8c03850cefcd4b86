#include "app/DisplayCheck.h"

#include <xcb/xcb.h>

DisplayRequest DisplayRequest::fromProcess(const QByteArray& platformOption,
                                           const QByteArray& displayOption) {
    return {platformOption.isEmpty() ? qgetenv("QT_QPA_PLATFORM") : platformOption,
            displayOption.isEmpty() ? qgetenv("DISPLAY") : displayOption,
            SessionEnvironment::fromProcess()};
}

DisplayCheck::DisplayCheck(const DisplayRequest& request) {
    const QByteArray platform = request.platform.trimmed();
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return;
    const QByteArray display = request.display.trimmed();
    if (display.isEmpty()) {
        const bool wayland = !request.session.waylandDisplay.trimmed().isEmpty() ||
                             request.session.sessionType.trimmed().toLower() == "wayland";
        m_problem = wayland
                        ? QStringLiteral("tempivo: this Wayland session has no XWayland (DISPLAY "
                                         "is not set); Tempivo needs an X11 display to place its "
                                         "window")
                        : QStringLiteral("tempivo: no X display (DISPLAY is not set); Tempivo "
                                         "needs an X11 or XWayland display");
        return;
    }
    m_connection = xcb_connect(display.constData(), nullptr);
    if (xcb_connection_has_error(m_connection) != 0) {
        close();
        m_problem = QStringLiteral("tempivo: cannot open the X display \"%1\"; Tempivo needs a "
                                   "running X11 or XWayland display")
                        .arg(QString::fromLocal8Bit(display));
    }
}

DisplayCheck::~DisplayCheck() {
    close();
}

void DisplayCheck::close() {
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}
