#include "links/LinksWindow.h"

#include "clock/ClockWindow.h"
#include "clock/CompanionWindows.h"

LinksWindow::LinksWindow(ClockWindow&, CompanionWindows& companions, const Services&) {
    companions.unloadAbout();
}
