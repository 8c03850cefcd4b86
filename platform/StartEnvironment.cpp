#include "platform/StartEnvironment.h"

#include <optional>

namespace {

std::optional<QProcessEnvironment>& noted() {
    static std::optional<QProcessEnvironment> environment;
    return environment;
}

} // namespace

void StartEnvironment::remember() {
    noted() = QProcessEnvironment::systemEnvironment();
}

QProcessEnvironment StartEnvironment::get() {
    QProcessEnvironment environment = noted().value_or(QProcessEnvironment::systemEnvironment());
    environment.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
    environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    return environment;
}
