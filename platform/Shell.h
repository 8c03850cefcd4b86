#pragma once

#include <QString>

// Hands addresses to the desktop's opener and starts programs.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address, document or folder with the desktop's opener (xdg-open).
    virtual bool openAddress(const QString& address) = 0;
    // Starts a command line as a new process, without a shell and without waiting
    // for it; false when it cannot be started.
    virtual bool startProgram(const QString& commandLine) = 0;

    // The working folder of started programs and the default program address.
    static QString rootFolder() { return QStringLiteral("/"); }
    // Opened for a link that names no address of its own.
    static QString portalAddress() { return QStringLiteral("https://www.debian.org/"); }
};

class SystemShell : public Shell {
public:
    bool openAddress(const QString& address) override;
    bool startProgram(const QString& commandLine) override;
};
