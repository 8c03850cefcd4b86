#pragma once

#include "platform/Services.h"

#include <QWidget>

class ClockWindow;
class CompanionWindows;

// The About box beside the clock window.
class AboutBox : public QWidget {
    Q_OBJECT
public:
    AboutBox(ClockWindow& clock, CompanionWindows& companions, const Services& services);
};
