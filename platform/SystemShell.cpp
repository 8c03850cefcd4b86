#include "platform/Shell.h"

#include "platform/ProgramLine.h"
#include "platform/StartEnvironment.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// Started programs and the opener get the user's environment and the root folder, and are
// not waited for.
bool startDetached(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(Shell::rootFolder());
    process.setProcessEnvironment(environment);
    return process.startDetached();
}

QStringList searchPath(const QProcessEnvironment& environment) {
    return environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
}

// A local path (absolute, or from the home folder) opens as a file, there or not, and the
// opener says when it is missing; anything else is a web address, so that "www.debian.org"
// does not become a file in the root folder.
QUrl addressUrl(const QString& address) {
    QString path = address;
    if (address == QLatin1String("~") || address.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + address.mid(1);
    if (path.startsWith(u'/'))
        return QUrl::fromLocalFile(path);
    return QUrl::fromUserInput(path);
}

} // namespace

bool SystemShell::openAddress(const QString& address) {
    const QUrl url = addressUrl(address);
    if (!url.isValid() || url.isEmpty())
        return false;
    const QProcessEnvironment environment = StartEnvironment::get();
    const QString opener =
        QStandardPaths::findExecutable(QStringLiteral("xdg-open"), searchPath(environment));
    if (opener.isEmpty())
        return false;
    return startDetached(opener, {QString::fromUtf8(url.toEncoded())}, environment);
}

bool SystemShell::startProgram(const QString& commandLine) {
    const QProcessEnvironment environment = StartEnvironment::get();
    const std::optional<ProgramLine::Program> program =
        ProgramLine::resolve(commandLine, QDir::homePath(), searchPath(environment));
    if (!program)
        return false;
    return startDetached(program->path, program->arguments, environment);
}
