#include "app/Program.h"

#include "app/CommandLine.h"
#include "app/CompanionWindows.h"
#include "app/DisplayCheck.h"
#include "app/SessionPlatform.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "clock/ClockWindow.h"
#include "platform/StartEnvironment.h"
#include "platform/StartupMemory.h"
#include "platform/WindowManager.h"
#include "version.h"
#include "widgets/Fonts.h"
#include "widgets/XpmImage.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

// Qt ends in abort() when its platform plugin is missing or cannot start, and some plugins
// start with no screen. While Qt starts, its messages are held back; either way Tempivo ends
// with one line saying why and status 1. Once Qt runs, the held ones go out as usual.
struct StartMessages {
    static inline QtMessageHandler previous = nullptr;
    static inline QByteArray platform;
    static inline QList<std::tuple<QtMsgType, QByteArray, QString>> held;

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtFatalMsg) {
            held.append({type, QByteArray(context.category), text});
            return;
        }
        std::_Exit(fail("cannot start", text));
    }

    static void hold(const QByteArray& platformName) {
        platform = platformName.isEmpty() ? QByteArrayLiteral("xcb") : platformName;
        previous = qInstallMessageHandler(handle);
    }

    // Prints the line, with the first warning Qt gave as the cause ("Could not find the Qt
    // platform plugin ..."), else fallback's first line; returns the exit status.
    static int fail(const char* what, const QString& fallback) {
        QString cause = fallback;
        for (const auto& [type, category, text] : held) {
            if (type != QtDebugMsg && type != QtInfoMsg) {
                cause = text;
                break;
            }
        }
        cause = cause.section(u'\n', 0, 0).trimmed();
        std::fprintf(stderr, "tempivo: the Qt platform \"%s\" %s%s%s\n", platform.constData(), what,
                     cause.isEmpty() ? "" : ": ", qPrintable(cause));
        std::fflush(stderr);
        return 1;
    }

    static void release() {
        qInstallMessageHandler(previous);
        for (const auto& [type, category, text] : std::exchange(held, {})) {
            const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
            qt_message_output(type, context, text);
        }
    }
};

// Blanks around a name are no part of it; an empty value is no value.
void trimVariable(const char* name) {
    const QByteArray value = qgetenv(name);
    if (value.trimmed() == value)
        return;
    if (value.trimmed().isEmpty())
        qunsetenv(name);
    else
        qputenv(name, value.trimmed());
}

} // namespace

int Program::run(int argc, char* argv[]) {
    StartupMemory::shareOneHeap();
    // What Tempivo sets below is for its own Qt alone, not for the programs it starts.
    StartEnvironment::remember();
    const CommandLine commandLine = CommandLine::parse(argc, argv);
    if (commandLine.exitStatus)
        return commandLine.answer();

    trimVariable("QT_QPA_PLATFORM");
    trimVariable("DISPLAY");
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
    StartMessages::hold(request.platform);
    QApplication app(qtArgv.argc(), qtArgv.argv());
    if (!QGuiApplication::primaryScreen())
        return StartMessages::fail("offers no screen", QString());
    StartMessages::release();
    displayCheck.close();
    QApplication::setApplicationName(QString::fromUtf8(Version::name));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::number));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Version::appId));
    QApplication::setWindowIcon(
        QIcon(QPixmap::fromImage(readXpmImage(QStringLiteral(":/tempivo.xpm")))));
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

    // Before the clock: its start-up may wait in a modal message box, which a signal ends too.
    TerminationSignals termination;
    bool terminated = false;
    QObject::connect(&termination, &TerminationSignals::received, &app, [&terminated] {
        terminated = true;
        // exit() rather than quit(), which does nothing before exec(): it ends a modal box too.
        QApplication::exit(0);
    });
    ClockWindow clock(services);
    // The strip is up before the volume is set, so that a mixer fault's box shows over it.
    clock.showAtTopEdge();
    clock.setStartVolume();
    // A mixer fault's message box has come and gone: what it loaded to draw its text and icon
    // goes with it. The folded strip draws no text; the panel loads its fonts when it unfolds.
    StartupMemory::dropTextResources();
    StartupMemory::returnStackBelowCaller();
    if (terminated)
        return 0;
    CompanionWindows companions(clock, services);
    QObject::connect(&clock, &ClockWindow::exitRequested, &app, &QApplication::quit);
    // Start-up leaves most of the heap it used free but still held: give it back once the
    // strip is on screen, as the clock then sits for hours.
    QTimer::singleShot(1000, [] { StartupMemory::returnFreeHeap(); });
    return app.exec();
}
