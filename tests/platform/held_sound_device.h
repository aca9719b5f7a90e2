#pragma once

// A sound device that another program holds, as an ALSA plug-in (type "vrheld"): a blocking
// open waits until the holder lets go, after this long, and is then refused all the same; a
// non-blocking open is refused at once with EBUSY, as the kernel refuses a held card.
inline constexpr int kSoundDeviceHeldMs = 5000;

// The plug-in's count of the opens it was asked for, exported under this name.
inline constexpr const char *kSoundDeviceOpensSymbol = "vrHeldSoundDeviceOpens";
