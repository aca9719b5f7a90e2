#pragma once

#include <QString>

#include <vector>

namespace vr::bench {

// One start of the window in a child process (vr880tx-bench-window), offscreen: seconds from
// the launch to each stage, and the child's peak resident memory.
struct WindowStart {
    bool ok = false;
    double toMain = 0;
    double toCreated = 0;
    double toExposed = 0;
    double toPainted = 0;
    long peakKb = 0;
};

// Launches `program` with QT_QPA_PLATFORM=offscreen and reads what it prints.
WindowStart MeasureWindowStart(const QString &program);

} // namespace vr::bench
