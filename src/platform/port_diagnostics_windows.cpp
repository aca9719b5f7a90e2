// Why a serial port did not open on Windows, and what stands behind COM1 to COM16, as the
// system's list of serial ports tells it. Windows keeps no lock files and does not say which
// program holds a port; a port held by another program is refused with "access denied".

#include "platform/port_diagnostics.h"

#include <QSerialPortInfo>

#include <map>

namespace vr {
namespace {

std::string Com(int port) {
    return "COM" + std::to_string(port);
}

std::map<std::string, QSerialPortInfo> SystemPorts() {
    std::map<std::string, QSerialPortInfo> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports[info.portName().toUpper().toStdString()] = info;
    return ports;
}

} // namespace

bool ThisUserMayOpen(const std::string &) {
    return true; // every user may open a serial port that nobody holds
}

PortDiagnosis DiagnosePort(int portNumber, const PortOpenFailure &failure) {
    PortDiagnosis diagnosis;
    diagnosis.problem = failure.problem;
    diagnosis.device = Com(portNumber);
    const std::string detail = failure.detail.empty() ? std::string() : " (" + failure.detail + ")";
    switch (failure.problem) {
    case PortProblem::Absent: {
        diagnosis.summary = diagnosis.device + ": no such port";
        std::string present;
        for (const auto &[name, info] : SystemPorts())
            present += (present.empty() ? "" : ", ") + name;
        diagnosis.details.push_back("serial ports of this machine: " +
                                    (present.empty() ? std::string("none") : present));
        break;
    }
    case PortProblem::Permission:
    case PortProblem::Busy:
        diagnosis.problem = PortProblem::Busy;
        diagnosis.summary = diagnosis.device + ": busy, held by another program" + detail;
        diagnosis.details.push_back(
            "Windows does not say which program holds it; close the other serial programs");
        break;
    case PortProblem::Other:
        diagnosis.summary = diagnosis.device + ": did not open" + detail;
        break;
    }
    return diagnosis;
}

std::vector<PortEntry> ListPorts(int firstPort, int lastPort) {
    const auto ports = SystemPorts();
    std::vector<PortEntry> entries;
    for (int port = firstPort; port <= lastPort; ++port) {
        PortEntry entry;
        entry.port = port;
        entry.device = Com(port);
        entry.namedBy = "COM port";
        const auto found = ports.find(entry.device);
        entry.present = found != ports.end();
        entry.mayOpen = entry.present;
        if (!entry.present) {
            entry.accessNote = "absent";
        } else {
            entry.maker = found->second.manufacturer().toStdString();
            entry.product = found->second.description().toStdString();
            entry.serialNumber = found->second.serialNumber().toStdString();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace vr
