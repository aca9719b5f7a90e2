// Times the worst case of the controller scan: no controller anywhere, 16 ports present and
// silent, chkLock unticked, so every port is opened in all twelve line modes and every probe
// waits out its reply limit. Prints the virtual duration against the bound of 384 probes of
// (12 ms of paced writes + the 300 ms reply limit), and the CPU time the run took.
//
//   scan-bench [--pty N]   with --pty, also the same worst case in real time on N silent ptys

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QCoreApplication>

#include "port_map.h"
#include "scan_measurements.h"

namespace {

using namespace vr::bench;

void PrintVirtual() {
    constexpr int kRuns = 5;
    const VirtualScan scan = MeasureVirtualScan(kRuns);
    const double bound = kWorstCaseProbes * kProbeBoundSeconds;
    std::printf("virtual time, worst case (no controller, %d silent ports, lock unticked)\n",
                kScanPorts);
    std::printf("  probes:            %d\n", scan.probes);
    std::printf("  virtual duration:  %.3f s (bound %d x (12 ms + 300 ms) = %.3f s; ratio %.4f)\n",
                scan.virtualSeconds, kWorstCaseProbes, bound, scan.virtualSeconds / bound);
    std::printf("  beyond the bound:  %.3f s = the closing low beep (%.3f s) + %.2f ms a probe "
                "(a wait ends at the first 1 ms read past its 300 ms)\n",
                scan.virtualSeconds - bound, kClosingBeepSeconds,
                (scan.virtualSeconds - bound - kClosingBeepSeconds) * 1e3 / kWorstCaseProbes);
    std::printf("  CPU time per scan: %.1f ms (mean of %d runs)\n", scan.cpuSecondsPerScan * 1e3,
                kRuns);
}

int PrintPty(int argc, char **argv, int ports) {
    PrivateConfigHome home;
    QCoreApplication app(argc, argv);
    const PtyScan scan = MeasurePtyScan(home, ports);
    const double bound = scan.probes * kProbeBoundSeconds;
    std::printf("real time on %d silent ptys (lock unticked), the other ports absent\n", ports);
    std::printf("  ports opened: %d, status line: %s\n", scan.portsOpened, scan.status.c_str());
    std::printf("  wall duration:     %.3f s (bound %d x (12 ms + 300 ms) = %.3f s, + %.3f s "
                "beep; ratio %.4f)\n",
                scan.wallSeconds, scan.probes, bound, kClosingBeepSeconds,
                scan.wallSeconds / (bound + kClosingBeepSeconds));
    std::printf("  per probe:         %.2f ms beyond the 312 ms\n",
                (scan.wallSeconds - bound - kClosingBeepSeconds) * 1e3 / scan.probes);
    std::printf("  CPU time:          %.3f s (%.2f%% of the wall time)\n", scan.cpuSeconds,
                100.0 * scan.cpuSeconds / scan.wallSeconds);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    PrintVirtual();
    if (argc == 3 && std::strcmp(argv[1], "--pty") == 0)
        return PrintPty(argc, argv, std::atoi(argv[2]));
    return 0;
}
