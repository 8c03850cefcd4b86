#pragma once

#include "platform/WindowManager.h"

class FakeWindowManager : public WindowManager {
public:
    void setTopmost(QWidget*, bool onTop) override { topmost = onTop; }
    void startMove(QWidget*) override { ++moves; }

    bool topmost = false;
    int moves = 0;
};
