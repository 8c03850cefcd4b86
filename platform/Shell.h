#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Hands addresses to the desktop's opener and starts programs.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address, document or folder with the desktop's default handler.
    virtual bool openAddress(const QString& address) = 0;
    // Starts a command line as a new process, without a shell and without waiting
    // for it; false when it cannot be started.
    virtual bool startProgram(const QString& commandLine) = 0;

    // The working folder of started programs and the default program address.
    static QString rootFolder() { return QStringLiteral("/"); }
    // Opened for a link that names no address of its own.
    static QString portalAddress() { return QStringLiteral("https://www.debian.org/"); }

    // Splits a command line into words as a POSIX shell does (quotes, backslash
    // escapes) and expands a leading "~/" of each word to the home folder.
    // Empty when the line holds no word or its quotes do not match.
    static std::optional<QStringList> splitCommandLine(const QString& commandLine,
                                                       const QString& homeFolder);
};

class SystemShell : public Shell {
public:
    bool openAddress(const QString& address) override;
    bool startProgram(const QString& commandLine) override;
};
