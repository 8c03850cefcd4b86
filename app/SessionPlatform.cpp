#include "app/SessionPlatform.h"

#include <QtGlobal>

SessionEnvironment SessionEnvironment::fromProcess() {
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"),
            qgetenv("XDG_SESSION_TYPE")};
}

QByteArray platformToForce(const SessionEnvironment& env) {
    // Qt treats an empty QT_QPA_PLATFORM as unset, and so does Tempivo.
    if (!env.qtQpaPlatform.trimmed().isEmpty())
        return {};
    if (env.display.trimmed().isEmpty())
        return {};
    const bool wayland =
        !env.waylandDisplay.trimmed().isEmpty() || env.sessionType.trimmed().toLower() == "wayland";
    return wayland ? QByteArrayLiteral("xcb") : QByteArray();
}
