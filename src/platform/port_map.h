#pragma once

#include <string>

namespace vr {

// The per-user port map folder, ~/.config/vr880tx-config/ports (under the generic configuration
// location, so a temporary XDG_CONFIG_HOME gives a test its own folder). The program, the
// simulator, the tests and the benchmarks all find it here.
std::string PortMapFolder();

// The entry of port n in the port map folder: the link (or file) named "COM<n>". It is the only
// name the program looks up there; anything else in the folder is left alone.
std::string PortMapEntry(int portNumber);

} // namespace vr
