#pragma once

#include <atomic>
#include <cstdio>

#include <QStringList>

#include "cli/arguments.h"
#include "platform/platform.h"
#include "settings/settings_store.h"

namespace vr::cli {

// Where vr880tx writes: its result (or JSON lines) to `out`, everything else to `err`.
struct Console {
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    bool progress = false; // `err` is a terminal: show the scan's and the polls' progress there
};

// Runs one checked invocation: the trace, the settings of `store`, the controller found on the
// given or stored port, the operation, and its report. `interruption`, once set, stops the
// operation after the exchange in flight (a looping test as by Cancel). Returns the exit code.
int Run(const Invocation &invocation, Platform &platform, const SettingsStore &store,
        const Console &console, const std::atomic<bool> *interruption);

// Tells a refused command line the way Run tells a failure: one line on `err` (and a JSON line
// on `out` when --json was given). Returns the exit code, 2.
int ReportUsageError(const ParsedArguments &parsed, const Console &console);

// All of vr880tx once the application object exists: `arguments` are those after the program
// name. Help and version, the stop signals, the platform and the store of this machine.
int Main(const QStringList &arguments);

} // namespace vr::cli
