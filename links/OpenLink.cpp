#include "links/OpenLink.h"

#include "platform/Shell.h"

bool openLink(Shell& shell, const QString& address) {
    return shell.openAddress(address);
}
