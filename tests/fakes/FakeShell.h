#pragma once

#include "platform/Shell.h"

class FakeShell : public Shell {
public:
    bool openAddress(const QString& address) override {
        opened.append(address);
        return openSucceeds;
    }
    bool startProgram(const QString& commandLine) override {
        started.append(commandLine);
        return startSucceeds;
    }

    QStringList opened;
    QStringList started;
    bool openSucceeds = true;
    bool startSucceeds = true;
};
