#include "app/CommandLine.h"

#include "version.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace {

// Qt's standard options, as QGuiApplication and QApplication read them from argv.
struct QtOption {
    const char* names[2];
    const char* valueName; // nullptr for a switch
    const char* description;
};

const QtOption qtOptions[] = {
    {{"platform"}, "name[:options]", "Qt platform plugin to run on (xcb, offscreen...)."},
    {{"platformpluginpath"}, "path", "Folder of the Qt platform plugins."},
    {{"platformtheme"}, "theme", "Qt platform theme."},
    {{"plugin"}, "plugin", "Additional Qt plugin to load; may be given more than once."},
    {{"display"}, "display", "X display to connect to, instead of $DISPLAY."},
    {{"name"}, "name", "Instance name of the windows (ICCCM WM_CLASS)."},
    {{"visual"}, "id", "ID of the X visual to use."},
    {{"nograb"}, nullptr, "Never grab the mouse (useful in debuggers)."},
    {{"dograb"}, nullptr, "Grab the mouse even under a debugger."},
    {{"qwindowgeometry", "geometry"}, "geometry", "Geometry of the first window (X11 syntax)."},
    {{"qwindowtitle", "title"}, "title", "Title of the first window."},
    {{"qwindowicon", "icon"}, "icon", "Window icon file."},
    {{"reverse"}, nullptr, "Lay out right to left."},
    {{"session"}, "session", "Session to restore, passed by a session manager."},
    {{"style"}, "style", "Qt widget style."},
    {{"stylesheet"}, "file", "Qt style sheet to apply."},
    {{"widgetcount"}, nullptr, "Print the number of widgets left at exit."},
};

QCommandLineOption toParserOption(const QtOption& o) {
    QStringList names{QLatin1String(o.names[0])};
    if (o.names[1])
        names << QLatin1String(o.names[1]);
    QCommandLineOption option(names, QLatin1String(o.description));
    if (o.valueName)
        option.setValueName(QLatin1String(o.valueName));
    return option;
}

// Tempivo's own options, and Qt's, which only --help-all lists.
struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Print this help and exit.")};
    QCommandLineOption helpAll{
        QStringLiteral("help-all"),
        QStringLiteral("Print this help with Qt's standard options, and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Print the version and exit.")};

    explicit Options(bool listQtOptions) {
        // Qt's own options take one dash (-platform), so no single-letter bundling.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            QStringLiteral("An always-on-top LED dot-matrix clock strip at the top of the screen.\n"
                           "Starting it sets the master volume to nearly full."));
        parser.addOption(help);
        parser.addOption(helpAll);
        parser.addOption(version);
        for (const QtOption& o : qtOptions) {
            QCommandLineOption option = toParserOption(o);
            if (!listQtOptions)
                option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
    }
};

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    Options options(false);
    QCommandLineParser& parser = options.parser;

    // The parser names the program only once a QCoreApplication exists; none does yet.
    const QString program =
        arguments.isEmpty() ? QStringLiteral("tempivo") : QFileInfo(arguments.first()).fileName();
    const auto usage = [&](const QCommandLineParser& p) {
        return p.helpText().replace(QLatin1String("<executable_name>"), program);
    };
    const auto refuse = [&](const QString& reason) {
        CommandLine refused;
        refused.exitStatus = 2;
        refused.message = program + QLatin1String(": ") + reason + QLatin1String("\nTry '") +
                          program + QLatin1String(" --help' for more information.\n");
        return refused;
    };

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QLatin1String("unexpected argument '") +
                      parser.positionalArguments().first() + u'\'');

    CommandLine result;
    if (parser.isSet(options.helpAll)) {
        result.exitStatus = 0;
        result.message = usage(Options(true).parser);
        return result;
    }
    if (parser.isSet(options.help)) {
        result.exitStatus = 0;
        result.message = usage(parser);
        return result;
    }
    if (parser.isSet(options.version)) {
        result.exitStatus = 0;
        result.message =
            QLatin1String(Version::name) + u' ' + QLatin1String(Version::number) + u'\n';
        return result;
    }

    result.qtArguments << (arguments.isEmpty() ? QByteArray("tempivo")
                                               : arguments.first().toLocal8Bit());
    for (const QtOption& o : qtOptions) {
        const QString name = QLatin1String(o.names[0]);
        const QByteArray flag = '-' + QByteArray(o.names[0]);
        if (!o.valueName) {
            if (parser.isSet(name))
                result.qtArguments << flag;
            continue;
        }
        // Qt takes blanks around a platform or display name as part of it and aborts; an empty
        // one means none, as an empty QT_QPA_PLATFORM does.
        const bool trimmed = name == QLatin1String("platform") || name == QLatin1String("display");
        for (const QString& value : parser.values(name)) {
            if (!trimmed)
                result.qtArguments << flag << value.toLocal8Bit();
            else if (!value.trimmed().isEmpty())
                result.qtArguments << flag << value.trimmed().toLocal8Bit();
        }
    }
    result.platform = parser.value(QStringLiteral("platform")).trimmed().toLocal8Bit();
    result.display = parser.value(QStringLiteral("display")).trimmed().toLocal8Bit();
    return result;
}

CommandLine CommandLine::parse(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine result = parse(arguments);
    // The program's own path as the system gave it, whatever its encoding.
    if (!result.qtArguments.isEmpty())
        result.qtArguments.first() = QByteArray(argv[0]);
    return result;
}

int CommandLine::answer() const {
    std::fputs(message.toLocal8Bit().constData(), exitStatus == 0 ? stdout : stderr);
    return exitStatus.value_or(0);
}

QtArgv::QtArgv(const QList<QByteArray>& arguments)
    : m_arguments(arguments)
    , m_argc(int(arguments.size())) {
    for (QByteArray& a : m_arguments)
        m_pointers.push_back(a.data());
    m_pointers.push_back(nullptr);
}
