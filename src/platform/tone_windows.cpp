#include <windows.h>

#include "platform/tone.h"

namespace vr {

void PlayTone(int frequencyHz, int durationMs) {
    if (durationMs <= 0)
        return;
    // Beep wants 37 to 32767 Hz; outside that the length passes in silence.
    if (frequencyHz < 37 || frequencyHz > 32767 ||
        !::Beep(static_cast<DWORD>(frequencyHz), static_cast<DWORD>(durationMs)))
        ::Sleep(static_cast<DWORD>(durationMs));
}

} // namespace vr
