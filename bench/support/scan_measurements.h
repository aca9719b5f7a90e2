#pragma once

#include <string>

#include "port_map.h"

namespace vr::bench {

inline constexpr int kScanPorts = 16;
inline constexpr int kWorstCaseProbes = 384; // 16 ports x 12 line modes x 2 probes
inline constexpr double kProbeBoundSeconds = (12 + 300) / 1000.0;
inline constexpr double kClosingBeepSeconds = 0.3;

// The worst case of the controller scan in virtual time: no controller anywhere, 16 ports
// present and silent, chkLock unticked, so every port is opened in all twelve line modes and
// every probe waits out its reply limit.
struct VirtualScan {
    double virtualSeconds = 0;
    int probes = 0;
    double cpuSecondsPerScan = 0;
};
VirtualScan MeasureVirtualScan(int runs);

// The same worst case in real time on `silentPorts` pseudo-terminals that nobody answers
// (COM1 to COM<silentPorts>); the other port numbers point nowhere, so they do not open.
// Needs a Qt application; the ports are linked in `home`.
struct PtyScan {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int portsOpened = 0;
    int probes = 0;
    std::string status;
};
PtyScan MeasurePtyScan(const PrivateConfigHome &home, int silentPorts);

} // namespace vr::bench
