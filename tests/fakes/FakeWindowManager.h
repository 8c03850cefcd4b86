#pragma once

#include "platform/WindowManager.h"

#include <QWidget>

// Records what the window would have asked of the window manager.
class FakeWindowManager : public WindowManager {
public:
    int topmostCalls = 0;
    int moves = 0;
    void setTopmost(QWidget*, bool) override { ++topmostCalls; }
    void startMove(QWidget*) override { ++moves; }
};
