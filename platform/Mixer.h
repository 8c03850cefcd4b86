#pragma once

#include <QtGlobal>

// The system's master volume. Values run from 0 to 65535 whatever the device's own scale.
class Mixer {
public:
    using Handle = void*;
    // The master volume control of an open mixer, as found by findVolumeControl.
    struct Control {
        void* element = nullptr;
        long minimum = 0;
        long maximum = 0;
    };

    virtual ~Mixer() = default;
    // Opens the mixer of the default sound device; true on success. It stays open.
    virtual bool open(Handle& handle) = 0;
    // Fills `control` with the master playback volume of the mixer.
    virtual bool findVolumeControl(Handle handle, Control& control) = 0;
    // Sets every channel of the control to `value` (0 to 65535), without waiting for the
    // device; false when there is no control to set.
    virtual bool writeVolume(Handle handle, const Control& control, quint32 value) = 0;
};

// Maps 0..65535 onto a control's own range; values above 65535 count as 65535.
long scaleVolume(quint32 value, long minimum, long maximum);

class AlsaMixer : public Mixer {
public:
    bool open(Handle& handle) override;
    bool findVolumeControl(Handle handle, Control& control) override;
    bool writeVolume(Handle handle, const Control& control, quint32 value) override;
};
