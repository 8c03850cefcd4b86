#include "links/OpenLink.h"

#include "platform/Shell.h"

bool OpenLink(Shell& shell, const QString& address) {
    return shell.openAddress(address);
}
