#include "platform/Mixer.h"

#include <alsa/asoundlib.h>

#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <mutex>
#include <optional>
#include <thread>

namespace {

constexpr char deviceName[] = "default";
constexpr char elementName[] = "Master";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool runsUnderLeakSanitizer = true;
#elif defined(__has_feature)
constexpr bool runsUnderLeakSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool runsUnderLeakSanitizer = false;
#endif

// libasound prints its errors on stderr by default; failures here are reported by result.
void silentErrorHandler(const char*, int, const char*, int, const char*, ...) {
}

// Volume writes run on a thread of their own: PipeWire's ALSA plug-in waits for its server's
// answer with no time limit, and a server killed while Tempivo runs never answers, which froze the
// clock at the next click on Sound. The latest value wins; a write stuck for good holds only this
// thread.
class VolumeWriter {
public:
    static VolumeWriter& instance() {
        // Never destroyed: at exit the thread may still wait inside the plug-in.
        static VolumeWriter* const writer = new VolumeWriter;
        return *writer;
    }

    void write(snd_mixer_t* mixer, snd_mixer_elem_t* element, long raw) {
        {
            const std::lock_guard lock(m_mutex);
            m_pending = Request{mixer, element, raw};
        }
        m_wake.notify_one();
    }

private:
    struct Request {
        snd_mixer_t* mixer;
        snd_mixer_elem_t* element;
        long raw;
    };

    VolumeWriter() {
        std::thread([this] { run(); }).detach();
    }

    [[noreturn]] void run() {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_pending.has_value(); });
            const Request request = *m_pending;
            m_pending.reset();
            lock.unlock();
            // The element's other settings, such as the mute switch, go out with the volume as
            // the mixer last saw them: take in what changed since, or an unmute made elsewhere
            // is undone.
            snd_mixer_handle_events(request.mixer);
            snd_mixer_selem_set_playback_volume_all(request.element, request.raw);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_pending;
};

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
    const bool loaded = snd_mixer_attach(mixer, deviceName) >= 0 &&
                        snd_mixer_selem_register(mixer, nullptr, nullptr) >= 0 &&
                        snd_mixer_load(mixer) >= 0;
    if (!loaded)
        snd_mixer_close(mixer);
    // The configuration tree libasound read to open the device, and the plug-ins no open device
    // uses any more, would otherwise stay in memory for as long as the clock runs. Nothing
    // else in Tempivo uses libasound at this point; a later open reads the configuration anew.
    // Not under LeakSanitizer: PipeWire's plug-in never frees its start-up state, which it only
    // reaches through the library's own variables, and that would count as Tempivo's leak once
    // the library is unloaded.
    if (!runsUnderLeakSanitizer)
        snd_config_update_free_global();
    if (!loaded)
        return false;
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
    VolumeWriter::instance().write(static_cast<snd_mixer_t*>(handle),
                                   static_cast<snd_mixer_elem_t*>(control.element),
                                   scaleVolume(value, control.minimum, control.maximum));
    return true;
}
