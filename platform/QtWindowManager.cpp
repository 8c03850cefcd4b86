#include "platform/HandDrag.h"
#include "platform/WindowManager.h"

#include <QWidget>
#include <QWindow>

void QtWindowManager::setTopmost(QWidget* window, bool onTop) {
    if (window->testAttribute(Qt::WA_WState_Created) && window->isVisible() &&
        window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        return;
    }
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->show();
}

void QtWindowManager::startMove(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    // No window manager to hand the move to: follow the pointer ourselves.
    HandDrag::start(window);
}
