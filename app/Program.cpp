#include "app/Program.h"

#include "app/CommandLine.h"
#include "app/CompanionWindows.h"
#include "app/DisplayCheck.h"
#include "app/SessionPlatform.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "clock/ClockWindow.h"
#include "platform/StartEnvironment.h"
#include "platform/WindowManager.h"
#include "version.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int Program::run(int argc, char* argv[]) {
    // What Tempivo sets below is for its own Qt alone, not for the programs it starts.
    StartEnvironment::remember();
    const CommandLine commandLine = CommandLine::parse(argc, argv);
    if (commandLine.exitStatus)
        return commandLine.answer();

    const QByteArray platform = platformToForce(SessionEnvironment::fromProcess());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    // The windows are small: sending their pixels over the socket is cheaper than a shared
    // memory segment, which costs a round trip to the X server at every repaint.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    const auto request = DisplayRequest::fromProcess(commandLine.platform, commandLine.display);
    DisplayCheck displayCheck(request);
    if (!displayCheck.problem().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(displayCheck.problem()));
        return 1;
    }

    QtArgv qtArgv(commandLine.qtArguments);
    QApplication app(qtArgv.argc(), qtArgv.argv());
    displayCheck.close();
    QApplication::setApplicationName(QString::fromUtf8(Version::name));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::number));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Version::appId));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tempivo.xpm")));
    // The clock is a tool window; closing the About box must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(
        SingleInstance::keyFor(QGuiApplication::platformName(), request.display));
    if (!instance.claim())
        return 0;
    const Services services = Services::system();
    // Connected before the clock exists: its start-up may wait in a modal message box.
    QObject::connect(&instance, &SingleInstance::showRequested, &app, [&services] {
        for (QWidget* window : QApplication::topLevelWidgets())
            services.windows->raise(window);
    });
    installFontSubstitutions();

    ClockWindow clock(services);
    CompanionWindows companions(clock, services);
    QObject::connect(&clock, &ClockWindow::exitRequested, &app, &QApplication::quit);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, &QApplication::quit);
    return app.exec();
}
