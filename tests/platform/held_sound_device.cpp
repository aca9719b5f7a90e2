// The ALSA plug-in of held_sound_device.h, loaded by the ALSA library from an ALSA configuration
// that names this module: pcm_type.vrheld.lib "<this module>"; pcm.!default { type vrheld }
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "held_sound_device.h"

extern "C" {

__attribute__((visibility("default"))) int vrHeldSoundDeviceOpens = 0;

SND_PCM_PLUGIN_DEFINE_FUNC(vrheld) {
    static_cast<void>(pcmp), static_cast<void>(name), static_cast<void>(root);
    static_cast<void>(conf), static_cast<void>(stream);
    ++vrHeldSoundDeviceOpens;
    if ((mode & SND_PCM_NONBLOCK) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(kSoundDeviceHeldMs));
    return -EBUSY;
}

SND_PCM_PLUGIN_SYMBOL(vrheld)
}
