#include "platform/Mixer.h"

#include <alsa/asoundlib.h>

#include <cmath>
#include <cstdarg>

namespace {

constexpr char deviceName[] = "default";
constexpr char elementName[] = "Master";

// libasound prints its errors on stderr by default; failures here are reported by result.
void silentErrorHandler(const char*, int, const char*, int, const char*, ...) {
}

} // namespace

long scaleVolume(quint32 value, long minimum, long maximum) {
    const double share = static_cast<double>(qMin<quint32>(value, 65535)) / 65535.0;
    return minimum + std::lround(static_cast<double>(maximum - minimum) * share);
}

bool AlsaMixer::open(Handle& handle) {
    snd_lib_error_set_handler(silentErrorHandler);
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0)
        return false;
    if (snd_mixer_attach(mixer, deviceName) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return false;
    }
    handle = mixer;
    return true;
}

bool AlsaMixer::findVolumeControl(Handle handle, Control& control) {
    if (!handle)
        return false;
    snd_mixer_selem_id_t* id = nullptr;
    if (snd_mixer_selem_id_malloc(&id) < 0)
        return false;
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, elementName);
    snd_mixer_elem_t* element = snd_mixer_find_selem(static_cast<snd_mixer_t*>(handle), id);
    snd_mixer_selem_id_free(id);
    if (!element || !snd_mixer_selem_has_playback_volume(element))
        return false;
    long minimum = 0;
    long maximum = 0;
    if (snd_mixer_selem_get_playback_volume_range(element, &minimum, &maximum) < 0)
        return false;
    control.element = element;
    control.minimum = minimum;
    control.maximum = maximum;
    return true;
}

bool AlsaMixer::writeVolume(Handle handle, const Control& control, quint32 value) {
    if (!handle || !control.element)
        return false;
    // The element's other settings, such as the mute switch, go out with the volume as the
    // mixer last saw them: take in what changed since, or an unmute made elsewhere is undone.
    snd_mixer_handle_events(static_cast<snd_mixer_t*>(handle));
    auto* element = static_cast<snd_mixer_elem_t*>(control.element);
    const long raw = scaleVolume(value, control.minimum, control.maximum);
    return snd_mixer_selem_set_playback_volume_all(element, raw) == 0;
}
