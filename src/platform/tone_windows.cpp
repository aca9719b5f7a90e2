#include <windows.h>

#include <chrono>

#include "platform/tone.h"

namespace vr {

void PlayTone(int frequencyHz, int durationMs) {
    if (durationMs <= 0)
        return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(durationMs);
    // Beep wants 37 to 32767 Hz; outside that the length passes in silence. On Windows Beep
    // returns when the tone has ended, but under Wine it returns at once: whatever is left of the
    // length passes in silence, so the tone takes its time everywhere.
    if (frequencyHz >= 37 && frequencyHz <= 32767)
        ::Beep(static_cast<DWORD>(frequencyHz), static_cast<DWORD>(durationMs));
    using std::chrono::ceil;
    using std::chrono::milliseconds;
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now())
        ::Sleep(static_cast<DWORD>(ceil<milliseconds>(end - now).count()));
}

} // namespace vr
