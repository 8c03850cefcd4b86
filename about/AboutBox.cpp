#include "about/AboutBox.h"

#include "clock/ClockWindow.h"
#include "clock/CompanionWindows.h"

AboutBox::AboutBox(ClockWindow&, CompanionWindows& companions, const Services&) {
    companions.unloadLinks();
}
