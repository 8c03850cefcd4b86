#pragma once

#include "platform/Services.h"

#include <QWidget>

class ClockWindow;
class CompanionWindows;

// The quick-links window beside the clock window.
class LinksWindow : public QWidget {
    Q_OBJECT
public:
    LinksWindow(ClockWindow& clock, CompanionWindows& companions, const Services& services);
};
