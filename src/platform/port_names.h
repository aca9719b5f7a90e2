#pragma once

#include <string>
#include <vector>

#include "platform/port_map.h"

namespace vr {

// How port number n (1, 2, ...) becomes the name of a serial device.
//
// Windows: "COM" + n, written "\\.\COM" + n from 10 on (the form CreateFile needs there).
// Linux, in this order:
//   1. the link (or file) named "COM<n>" in the per-user port map folder (PortMapEntry);
//      a link that points nowhere is a port that does not open;
//   2. otherwise the n-th serial device of the machine: USB adapters (ttyUSB) by number, then ACM
//      adapters (ttyACM) by number, then built-in ports (ttyS, ttyAMA) by number that have a UART
//      behind them.
// An empty name is a port that does not exist.
std::string SerialDeviceName(int portNumber);

// Linux: the machine's serial devices in the order in which port numbers count them (rule 2
// above), as paths under /dev.
std::vector<std::string> MachineSerialDevices();

// One entry of the machine's tty class: its kernel name ("ttyUSB0") and, for a built-in port,
// whether a UART stands behind it (the kernel lists 32 ttyS ports whether or not they exist).
struct TtyEntry {
    std::string name;
    bool hasUart = true;
};

// The machine's serial devices as paths under /dev, in the order in which port numbers count
// them; everything that is no serial port (consoles, virtual terminals) is left out.
std::vector<std::string> OrderSerialDevices(std::vector<TtyEntry> entries);

// Windows' device name for port n.
std::string WindowsPortName(int portNumber);

} // namespace vr
