#include "platform/HandDrag.h"

#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

void HandDrag::start(QWidget* window) {
    if (QWidget::mouseGrabber())
        QWidget::mouseGrabber()->releaseMouse();
    new HandDrag(window);
}

HandDrag::HandDrag(QWidget* window)
    : QObject(window)
    , m_window(window)
    , m_pressGlobal(QCursor::pos())
    , m_startPos(window->pos()) {
    window->installEventFilter(this);
    window->grabMouse();
}

bool HandDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto* move = static_cast<QMouseEvent*>(event);
        m_window->move(m_startPos + move->globalPosition().toPoint() - m_pressGlobal);
        return true;
    }
    case QEvent::MouseButtonRelease:
        finish();
        return true;
    default:
        return false;
    }
}

void HandDrag::finish() {
    m_window->releaseMouse();
    m_window->removeEventFilter(this);
    deleteLater();
}
