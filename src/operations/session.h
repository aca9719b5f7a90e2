#pragma once

#include <string>

#include "settings/settings_store.h"

namespace vr {

// Process-wide state of one run, owned by the window and shared with the operations.
struct Session {
    ScanSettings settings;        // read once at start, kept in memory
    bool ControllerFound = false; // set only by a scan that read version and clock
    std::string ControllerID;     // three digits from the last accepted scan probe
    std::string ControllerSerial; // eight characters from that probe
    bool TestRunning = false;     // a looping test runs; a Cancel press clears it
    // A looping test holds its controls and the port, from its start to its restore. Unlike
    // TestRunning it stays set after Cancel while the closing commands go out, so that a
    // further press of the test's button then is ignored instead of starting a second test.
    bool TestInProgress = false;
};

} // namespace vr
