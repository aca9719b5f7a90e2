#pragma once

#include "cli/arguments.h"
#include "cli/command_line.h"

namespace vr::cli {

// "vr880tx ports": ports 1 to 16 with their device, whether it is there and whether this user
// may open it, and a USB adapter's maker, product and serial number; one line a port, as text
// or as JSON. Returns the exit code, 0.
int ListPortsCommand(const Invocation &invocation, const Console &console);

} // namespace vr::cli
