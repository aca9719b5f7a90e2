#pragma once

#include <QString>
#include <QStringList>

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

// Launches `program` with `arguments` and QT_QPA_PLATFORM=offscreen and reads what it prints.
WindowStart MeasureWindowStart(const QString &program, const QStringList &arguments = {});

// Settings files for the start-up rows, written into the folder `directory` (which must exist).
// The five settings of every store: COM3, "9600,e,8,1" (index 3), card "00000000", English.
// Each returns the size of the file written, or -1.
//
// The five settings alone, as a save writes them.
qint64 WriteNormalStore(const QString &directory);
// The five settings and as many short text values as make the file exactly kMaxStoreFileBytes
// long: the most values, and so the most work for a reader, that a store of that size holds.
// `otherValues` receives their count.
qint64 WriteStoreAtSizeLimit(const QString &directory, int &otherValues);
// A file of `bytes` bytes in the same syntax, far beyond the size limit.
qint64 WriteOversizedStore(const QString &directory, qint64 bytes);

} // namespace vr::bench
