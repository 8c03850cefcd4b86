#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

#include <glib.h>

std::optional<QStringList> Shell::splitCommandLine(const QString& commandLine,
                                                   const QString& homeFolder) {
    const QByteArray line = commandLine.toLocal8Bit();
    gint argc = 0;
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(line.constData(), &argc, &argv, nullptr))
        return std::nullopt;

    QStringList words;
    for (gint i = 0; i < argc; ++i) {
        QString word = QString::fromLocal8Bit(argv[i]);
        if (word == QLatin1String("~"))
            word = homeFolder;
        else if (word.startsWith(QLatin1String("~/")))
            word = homeFolder + word.mid(1);
        words.append(word);
    }
    g_strfreev(argv);
    return words;
}

bool SystemShell::openAddress(const QString& address) {
    return QDesktopServices::openUrl(
        QUrl::fromUserInput(address, rootFolder(), QUrl::AssumeLocalFile));
}

bool SystemShell::startProgram(const QString& commandLine) {
    const std::optional<QStringList> words = splitCommandLine(commandLine, QDir::homePath());
    if (!words || words->isEmpty())
        return false;
    QStringList arguments = *words;
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments, rootFolder());
}
