#pragma once

class QWidget;

// What the windows ask of the window manager: stacking, the interactive move, and staying
// out of the taskbar.
class WindowManager {
public:
    virtual ~WindowManager() = default;
    // Keeps the window above normal windows (or not) and shows it without activating it.
    virtual void setTopmost(QWidget* window, bool onTop) = 0;
    // Moves the window with the pointer until the pressed button is released.
    virtual void startMove(QWidget* window) = 0;
    // Keeps the window off taskbars, pagers and the window switcher whenever it is shown.
    virtual void keepOffTaskbar(QWidget* window) = 0;
};

class QtWindowManager : public WindowManager {
public:
    void setTopmost(QWidget* window, bool onTop) override;
    void startMove(QWidget* window) override;
    void keepOffTaskbar(QWidget* window) override;
};
