#include "app/SessionPlatform.h"

#include <QTest>

class TestSessionPlatform : public QObject {
    Q_OBJECT
private slots:
    void decision_data();
    void decision();
};

void TestSessionPlatform::decision_data() {
    QTest::addColumn<QByteArray>("qpa");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QByteArray>("forced");
    auto row = [](const char* name, const char* qpa, const char* display, const char* wayland,
                  const char* session, const char* forced) {
        QTest::newRow(name) << QByteArray(qpa) << QByteArray(display) << QByteArray(wayland)
                            << QByteArray(session) << QByteArray(forced);
    };

    row("wayland socket with XWayland", "", ":0", "wayland-0", "", "xcb");
    row("wayland session type with XWayland", "", ":1", "", "wayland", "xcb");
    row("session type in capitals", "", ":1", "", "Wayland", "xcb");
    row("both wayland signs", "", ":0", "wayland-1", "wayland", "xcb");
    row("socket wins over x11 session type", "", ":0", "wayland-0", "x11", "xcb");
    row("user chose wayland", "wayland", ":0", "wayland-0", "wayland", "");
    row("user chose xcb", "xcb", ":0", "wayland-0", "", "");
    row("user chose offscreen", "offscreen", ":0", "", "wayland", "");
    row("empty choice is no choice", "", ":0", "wayland-0", "", "xcb");
    row("blank choice is no choice", "  ", ":0", "wayland-0", "", "xcb");
    row("no X display under wayland", "", "", "wayland-0", "wayland", "");
    row("blank X display under wayland", "", " ", "wayland-0", "", "");
    row("plain X11 session", "", ":0", "", "x11", "");
    row("X11 without session type", "", ":0", "", "", "");
    row("tty session", "", ":0", "", "tty", "");
    row("nothing at all", "", "", "", "", "");
}

void TestSessionPlatform::decision() {
    QFETCH(QByteArray, qpa);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, session);
    QFETCH(QByteArray, forced);
    QCOMPARE(platformToForce({qpa, display, wayland, session}), forced);
}

QTEST_APPLESS_MAIN(TestSessionPlatform)
#include "tst_sessionplatform.moc"
