#pragma once

#include "platform/Mixer.h"

#include <QList>

// A mixer that records the values written to its one volume control.
class FakeMixer : public Mixer {
public:
    bool canOpen = true;
    bool hasControl = true;
    int opens = 0;
    QList<quint32> writes;

    bool open(Handle& handle) override {
        ++opens;
        if (canOpen)
            handle = this;
        return canOpen;
    }
    bool findVolumeControl(Handle handle, Control& control) override {
        if (handle != this || !hasControl)
            return false;
        control.element = this;
        control.maximum = 65535;
        return true;
    }
    bool writeVolume(Handle handle, const Control& control, quint32 value) override {
        if (handle != this || control.element != this)
            return false;
        writes << value;
        return true;
    }
};
