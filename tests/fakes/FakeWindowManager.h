#pragma once

#include "platform/WindowManager.h"

#include <QWidget>

// Records what the window asks of the window manager; shows windows as asked.
class FakeWindowManager : public WindowManager {
public:
    int topmostCalls = 0;
    int moves = 0;
    QList<QWidget*> keptOffTaskbar;

    void setTopmost(QWidget* window, bool) override {
        ++topmostCalls;
        window->show();
    }
    void startMove(QWidget*) override { ++moves; }
    void keepOffTaskbar(QWidget* window) override { keptOffTaskbar.append(window); }
};
