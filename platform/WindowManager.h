#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// What the windows ask of the window manager: stacking, the interactive move, staying out of
// the taskbar, and where windows really are.
class WindowManager {
public:
    virtual ~WindowManager() = default;
    // Keeps the window above normal windows (or not) and shows it without activating it.
    virtual void setTopmost(QWidget* window, bool onTop) = 0;
    // Moves the window with the pointer until the pressed button is released.
    virtual void startMove(QWidget* window) = 0;
    // Keeps the window off taskbars, pagers and the window switcher, and on every workspace,
    // whenever it is shown.
    virtual void keepOffTaskbar(QWidget* window) = 0;
    // Raises the shown window above the others without giving it the keyboard.
    virtual void raise(QWidget* window) = 0;
    // Where the window's top-left corner is. A window manager may ignore or undo a move made
    // during its own, and tell nothing of it.
    virtual QPoint reportedPosition(QWidget* window) = 0;
    // Whether a pointer button is down, which also holds while the window manager moves a window.
    virtual bool pointerButtonDown() = 0;
    // The part of the screen at `point` that panels leave free.
    virtual QRect freeArea(const QPoint& point) = 0;
};

class QtWindowManager : public WindowManager {
public:
    void setTopmost(QWidget* window, bool onTop) override;
    void startMove(QWidget* window) override;
    void keepOffTaskbar(QWidget* window) override;
    void raise(QWidget* window) override;
    QPoint reportedPosition(QWidget* window) override;
    bool pointerButtonDown() override;
    QRect freeArea(const QPoint& point) override;
};
