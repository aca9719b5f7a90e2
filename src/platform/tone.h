#pragma once

namespace vr {

// A synchronous tone of the given pitch and length through the machine's sound device. Returns
// when the tone has ended; with no sound device the same time passes in silence. Prints nothing.
// One implementation per operating system.
void PlayTone(int frequencyHz, int durationMs);

} // namespace vr
