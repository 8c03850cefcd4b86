#pragma once

#include "platform/WindowManager.h"

#include <QWidget>

// Records what the window asks of the window manager; shows windows as asked.
class FakeWindowManager : public WindowManager {
public:
    int topmostCalls = 0;
    int moves = 0;

    void setTopmost(QWidget* window, bool) override {
        ++topmostCalls;
        window->show();
    }
    void startMove(QWidget*) override { ++moves; }
    // Taskbars are the real window manager's business: the desktop-session suite checks them.
    void keepOffTaskbar(QWidget*) override {}
};
