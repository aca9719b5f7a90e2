#pragma once

#include <functional>
#include <vector>

#include "link/controller_link.h"
#include "timed_platform.h"

namespace vr::bench {

// The simulator's pause between the request's CR and the first reply byte, as the bench starts
// it; part of the floor of an exchange.
inline constexpr double kSimulatorTurnaroundMs = 2.0;
// The paced writes of any request frame: 1 + 5 + 1 + 4 x 1 + 1 ms of pauses.
inline constexpr double kRequestPausesMs = 12.0;
inline constexpr int kProbeReplyBytes = 20;

// Paced writes + the probe reply's wire time in line mode `modeIndex` + the turnaround.
double ProbeFloorMs(int modeIndex);
// The reply's wire time alone.
double ProbeWireMs(int modeIndex);

struct ExchangeSeries {
    std::vector<double> totalMs;       // each whole exchange, from the first write to the result
    std::vector<double> writeMs;       // its paced writes, up to the start of the reply wait
    std::vector<double> waitMs;        // its reply wait
    std::vector<double> sleepExcessMs; // the pauses of the writes beyond their 12 ms
    std::vector<double> longestPassMs; // the longest read-and-pump pass of the wait
    int failures = 0;                  // results other than the one expected
    double waitCpuSeconds = 0;         // CPU of this process during the reply waits
    double waitWallSeconds = 0;
    long waitPumpPasses = 0;
};

// Starts vr880tx-sim on COM<com> in line mode `modeIndex`, opens the port in the same mode and
// runs `body` on it. False (after a message on stderr) when the simulator or the port fails.
bool WithSimulator(int com, int modeIndex,
                   const std::function<void(ControllerLink &, TimedPlatform &)> &body);

// `count` exchanges of `command` on an open port. `expectedLength` 0: no reply is expected.
ExchangeSeries RunExchanges(ControllerLink &link, TimedPlatform &platform, const char *command,
                            int count, int expectedLength);

// The CPU share of a bare 1 ms poll() on a silent pseudo-terminal for `seconds`: the least any
// read with a 1 ms time-out can cost on this machine.
struct PollCost {
    double cpuShare = 0; // CPU seconds per wall second
    double microsPerPass = 0;
};
PollCost MeasureBarePoll(double seconds);

// How late `count` plain 1 ms sleeps wake up, in ms each: the machine's own wake-up tail, which
// every paced write and every pass of a reply wait is subject to.
std::vector<double> MeasureSleepOvershoot(int count);

} // namespace vr::bench
