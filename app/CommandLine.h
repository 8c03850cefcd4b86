#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Tempivo's command line: its own options and Qt's standard ones. It is read before Qt starts,
// so that --help, --version and a mistyped option are answered without a display.
struct CommandLine {
    // Set when the command line is answered or refused instead of starting the clock.
    std::optional<int> exitStatus;
    // What to print then: on stdout for status 0, on stderr otherwise.
    QString message;
    // The -platform and -display values, empty when not given.
    QByteArray platform;
    QByteArray display;
    // The program name and Qt's options, spelled as Qt itself reads them.
    QList<QByteArray> qtArguments;

    static CommandLine parse(const QStringList& arguments);
    static CommandLine parse(int argc, char** argv);
    // Prints the message where it belongs and returns the exit status.
    int answer() const;
};

// argc and argv for QApplication, which keeps them for its whole life.
class QtArgv {
public:
    explicit QtArgv(const QList<QByteArray>& arguments);
    int& argc() { return m_argc; }
    char** argv() { return m_pointers.data(); }

private:
    QList<QByteArray> m_arguments;
    std::vector<char*> m_pointers;
    int m_argc = 0;
};
