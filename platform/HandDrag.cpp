#include "platform/HandDrag.h"

#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

void HandDrag::start(QWidget* window) {
    if (s_running)
        s_running->finish();
    if (QWidget::mouseGrabber())
        QWidget::mouseGrabber()->releaseMouse();
    s_running = new HandDrag(window);
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
        // A release that never came here (the grab went to another window) ends it too.
        if (move->buttons() == Qt::NoButton || QWidget::mouseGrabber() != m_window) {
            finish();
            return false;
        }
        m_window->move(m_startPos + move->globalPosition().toPoint() - m_pressGlobal);
        return true;
    }
    case QEvent::MouseButtonRelease:
        finish();
        return true;
    case QEvent::Hide:
        finish();
        return false;
    default:
        return false;
    }
}

void HandDrag::finish() {
    if (QWidget::mouseGrabber() == m_window)
        m_window->releaseMouse();
    m_window->removeEventFilter(this);
    if (s_running == this)
        s_running = nullptr;
    deleteLater();
}
