#pragma once

#include <QString>

class Shell;

// Hands an address to the desktop's opener; true when the opener took it.
bool openLink(Shell& shell, const QString& address);
