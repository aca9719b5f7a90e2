#pragma once

#include <QString>

#include <vector>

namespace vr::bench {

// Whole runs of vr880tx against the simulator on COM<com>, each a child process timed from its
// launch to its exit, beside the same operation run in this process.
struct CliRuns {
    std::vector<double> versionMs;   // "vr880tx --version": start-up and exit alone
    std::vector<double> setClockMs;  // "vr880tx set-clock --port N --quiet", start to exit
    std::vector<double> inProcessMs; // finding the controller and Set Date Time in this process
    int failures = 0;                // runs that did not end with exit code 0
};

// `program` is the path of vr880tx; the simulator runs in its default line mode.
CliRuns MeasureCliRuns(const QString &program, int com, int runs);

// The floor of find + Set Date Time: two probe exchanges, the 100 ms pauses before and after
// the command's probe, and the "AA" exchange with its 12-byte reply, all in line mode `mode`.
double SetClockFloorMs(int mode);

} // namespace vr::bench
