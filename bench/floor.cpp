// The floor for Qt Widgets programs: one small window that repaints a 3 x 15 rectangle once a
// second, as the clock's blinking colon does. Whatever Tempivo costs beyond this is its own.
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class Blinker : public QWidget {
public:
    Blinker() {
        setWindowTitle(QStringLiteral("Floor"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(88, 18);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_lit = !m_lit;
            update(40, 1, 3, 15);
        });
        m_timer.start(1000);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::black);
        if (m_lit)
            painter.fillRect(40, 1, 3, 15, Qt::red);
    }

private:
    QTimer m_timer;
    bool m_lit = false;
};

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    Blinker window;
    window.show();
    return app.exec();
}
