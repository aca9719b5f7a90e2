#pragma once

#include <string>

#include "settings/settings_store.h"

namespace vr {

// Process-wide state of one run, owned by the window and shared with the operations.
struct Session {
    ScanSettings settings;         // read once at start, kept in memory
    bool ControllerFound = false;  // set only by a scan that read version and clock
    std::string ControllerID;      // three digits from the last accepted scan probe
    std::string ControllerSerial;  // eight characters from that probe
    bool TestRunning = false;      // a looping test runs; a Cancel press clears it
};

} // namespace vr
