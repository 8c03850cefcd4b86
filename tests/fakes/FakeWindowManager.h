#pragma once

#include "platform/WindowManager.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <optional>

// Records what the window asks of the window manager; shows windows as asked.
class FakeWindowManager : public WindowManager {
public:
    int topmostCalls = 0;
    int moves = 0;
    int raises = 0;
    // Where the window manager has put the windows, when not where Qt believes.
    std::optional<QPoint> position;
    bool buttonDown = false;
    // The free area of every screen; Qt's available area of the screen when unset.
    std::optional<QRect> free;

    void setTopmost(QWidget* window, bool) override {
        ++topmostCalls;
        window->show();
    }
    void startMove(QWidget*) override { ++moves; }
    // Taskbars are the real window manager's business: the desktop-session suite checks them.
    void keepOffTaskbar(QWidget*) override {}
    void raise(QWidget*) override { ++raises; }
    QPoint reportedPosition(QWidget* window) override { return position.value_or(window->pos()); }
    bool pointerButtonDown() override { return buttonDown; }
    QRect freeArea(const QPoint& point) override {
        QScreen* screen = QGuiApplication::screenAt(point);
        return free.value_or(
            (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry());
    }
};
