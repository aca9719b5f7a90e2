#pragma once

#include <atomic>

namespace vr {

// The command line's console, one implementation per operating system.

// Whether standard error is a terminal (progress is shown only there).
bool StandardErrorIsTerminal();

// From now on the first stop request (Ctrl-C, SIGTERM; on Windows also Ctrl-Break and the
// console being closed) sets `flag` and nothing more, so that the running operation can end
// the way Cancel does; a second one ends the process as the system's default would. `flag`
// must live until the process ends.
void CatchStopRequests(std::atomic<bool> &flag);

} // namespace vr
