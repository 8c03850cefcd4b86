#pragma once

#include <QString>

class Shell;

// Hands an address to the desktop's opener; true when the opener took it.
bool OpenLink(Shell& shell, const QString& address);
