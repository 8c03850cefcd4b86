#pragma once

class QWidget;

// What the clock asks of the window manager: stacking and the interactive move.
class WindowManager {
public:
    virtual ~WindowManager() = default;
    // Keeps the window above normal windows (or not) and shows it without activating it.
    virtual void setTopmost(QWidget* window, bool onTop) = 0;
    // Moves the window with the pointer until the pressed button is released.
    virtual void startMove(QWidget* window) = 0;
};

class QtWindowManager : public WindowManager {
public:
    void setTopmost(QWidget* window, bool onTop) override;
    void startMove(QWidget* window) override;
};
