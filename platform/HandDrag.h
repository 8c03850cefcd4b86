#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

// Drags a window with the pointer until the button is released; used where the
// window manager cannot do an interactive move. One drag at a time: a new one ends the one
// running, and a drag whose grab went elsewhere or whose buttons are all up is over.
class HandDrag : public QObject {
    Q_OBJECT
public:
    static void start(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit HandDrag(QWidget* window);
    void finish();

    static inline QPointer<HandDrag> s_running;

    QWidget* m_window;
    QPoint m_pressGlobal;
    QPoint m_startPos;
};
