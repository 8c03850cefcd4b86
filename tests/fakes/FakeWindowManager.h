#pragma once

#include "platform/WindowManager.h"

#include <QWidget>

class FakeWindowManager : public WindowManager {
public:
    int topmostCalls = 0;
    int moveRequests = 0;

    void setTopmost(QWidget* window, bool) override {
        ++topmostCalls;
        window->show();
    }
    void startMove(QWidget*) override { ++moveRequests; }
};
