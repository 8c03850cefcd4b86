#include "platform/HandDrag.h"
#include "platform/WindowManager.h"
#include "platform/X11WindowHints.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// Sets the window's hints each time it is shown: the native window exists by then and is
// not mapped yet, and a window loaded afresh gets a new native window.
class TaskbarExclusion : public QObject {
public:
    explicit TaskbarExclusion(QWidget* window)
        : QObject(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            X11WindowHints::markAsUtility(static_cast<QWidget*>(watched)->windowHandle());
        return false;
    }
};

// A window manager that lets go of a window after it is shown again drops the workspaces and
// states the show has just written: the window would come back on one workspace only.
void showOnceWithdrawn(QWidget* window, int triesLeft) {
    if (triesLeft <= 0 || X11WindowHints::isWithdrawn(window->windowHandle())) {
        window->show();
        return;
    }
    QTimer::singleShot(20, window,
                       [window, triesLeft] { showOnceWithdrawn(window, triesLeft - 1); });
}

} // namespace

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
    // The window manager's move follows the left button only: a move begun with another
    // button would go on after its release, until the next left click.
    QWindow* handle = window->windowHandle();
    if (QGuiApplication::mouseButtons() == Qt::LeftButton && handle && handle->startSystemMove())
        return;
    // No window manager to hand the move to, or another button: follow the pointer ourselves.
    HandDrag::start(window);
}

void QtWindowManager::keepOffTaskbar(QWidget* window) {
    new TaskbarExclusion(window);
}

void QtWindowManager::raise(QWidget* window) {
    if (!window->isVisible())
        return;
    window->raise();
    X11WindowHints::raise(window->windowHandle());
    // fluxbox raises a window that takes no focus by neither request; a window mapped afresh
    // goes on top of its layer everywhere.
    QTimer::singleShot(300, window, [window] {
        if (window->isVisible() && X11WindowHints::isCovered(window->windowHandle())) {
            window->hide();
            showOnceWithdrawn(window, 25);
        }
    });
}

QPoint QtWindowManager::reportedPosition(QWidget* window) {
    return X11WindowHints::reportedPosition(window->windowHandle()).value_or(window->pos());
}

bool QtWindowManager::pointerButtonDown() {
    return X11WindowHints::pointerButtonDown().value_or(QGuiApplication::mouseButtons() !=
                                                        Qt::NoButton);
}

QRect QtWindowManager::freeArea(const QPoint& point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return X11WindowHints::freeArea(screen);
}
