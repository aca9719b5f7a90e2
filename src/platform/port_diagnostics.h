#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vr {

// Why port n did not open, told as this machine can tell it: which device "COM<n>" names and
// how, and for each kind of failure what to do about it. One implementation per operating
// system; the texts are English.
struct PortDiagnosis {
    PortProblem problem = PortProblem::Other;
    std::string device;               // the device "COM<n>" names; empty when it names none
    std::string summary;              // one line: "COM5 (/dev/ttyUSB4): permission denied"
    std::vector<std::string> details; // further lines: what is there, who holds it, what to do
};
PortDiagnosis DiagnosePort(int portNumber, const PortOpenFailure &failure);

// What stands behind port n, for the listing of ports 1 to 16. Nothing is opened to find out:
// opening a serial port can reset the device behind it.
struct PortEntry {
    int port = 0;
    std::string device;  // empty: "COM<n>" names no device
    std::string namedBy; // how: "port map link", "serial device 2"
    bool present = false;
    bool mayOpen = false;   // present, and neither refused to this user nor held by another
    std::string accessNote; // why not, when not: "permission denied (group dialout)", ...
    std::string maker;      // a USB adapter's maker, product and serial number, where known
    std::string product;
    std::string serialNumber;
};
std::vector<PortEntry> ListPorts(int firstPort, int lastPort);

// Whether this user may open `device` for reading and writing, as far as the system's access
// rules go (a device held by another program may still refuse). On systems without such
// rules for serial devices, true.
bool ThisUserMayOpen(const std::string &device);

} // namespace vr
