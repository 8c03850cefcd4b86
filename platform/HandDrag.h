#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

// Drags a window with the pointer until the button is released; used where the
// window manager cannot do an interactive move.
class HandDrag : public QObject {
    Q_OBJECT
public:
    static void start(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit HandDrag(QWidget* window);
    void finish();

    QWidget* m_window;
    QPoint m_pressGlobal;
    QPoint m_startPos;
};
