#include "clock/ClockWindow.h"
#include "platform/Fonts.h"
#include "platform/SessionPlatform.h"
#include "platform/StartEnvironment.h"
#include "version.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    // What Tempivo sets below is for its own Qt alone, not for the programs it starts.
    StartEnvironment::remember();
    const QByteArray platform = platformToForce(SessionEnvironment::fromProcess());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    // The windows are small: sending their pixels over the socket is cheaper than a shared
    // memory segment, which costs a round trip to the X server at every repaint.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(Version::name));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::number));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Version::appId));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tempivo.xpm")));
    // The clock is a tool window; closing the About box must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();

    ClockWindow clock(Services::system());
    QObject::connect(&clock, &ClockWindow::exitRequested, &app, &QApplication::quit);
    return app.exec();
}
