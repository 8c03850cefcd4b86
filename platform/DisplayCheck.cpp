#include "platform/DisplayCheck.h"

#include <xcb/xcb.h>

namespace {

bool xServerAnswers(const QByteArray& display) {
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

} // namespace

DisplayRequest DisplayRequest::fromProcess(const QByteArray& platformOption,
                                           const QByteArray& displayOption) {
    return {platformOption.isEmpty() ? qgetenv("QT_QPA_PLATFORM") : platformOption,
            displayOption.isEmpty() ? qgetenv("DISPLAY") : displayOption,
            SessionEnvironment::fromProcess()};
}

QString displayProblem(const DisplayRequest& request) {
    const QByteArray platform = request.platform.trimmed();
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return {};
    const QByteArray display = request.display.trimmed();
    if (display.isEmpty()) {
        const bool wayland = !request.session.waylandDisplay.trimmed().isEmpty() ||
                             request.session.sessionType.trimmed().toLower() == "wayland";
        return wayland
                   ? QStringLiteral("tempivo: this Wayland session has no XWayland (DISPLAY is "
                                    "not set); Tempivo needs an X11 display to place its window")
                   : QStringLiteral("tempivo: no X display (DISPLAY is not set); Tempivo needs "
                                    "an X11 or XWayland display");
    }
    if (!xServerAnswers(display)) {
        return QStringLiteral("tempivo: cannot open the X display \"%1\"; Tempivo needs a running "
                              "X11 or XWayland display")
            .arg(QString::fromLocal8Bit(display));
    }
    return {};
}
