// Why a serial port did not open on Windows, and what stands behind COM1 to COM16, as the
// system's device list (SetupAPI, the class "Ports") and its serial map in the registry tell it.
// Windows keeps no lock files and does not say which program holds a port; a port held by
// another program is refused with "access denied".

#include "platform/port_diagnostics.h"

#include <windows.h>

#include <setupapi.h>

#include <map>
#include <set>

namespace vr {
namespace {

// The device setup class "Ports (COM & LPT)".
const GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string Com(int port) {
    return "COM" + std::to_string(port);
}

std::string Utf8(const wchar_t *text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(size - 1));
    return bytes;
}

std::string Upper(std::string text) {
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

struct Adapter {
    std::string maker, product, serialNumber;
};

std::string DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA &device, DWORD property) {
    wchar_t text[512] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                           reinterpret_cast<BYTE *>(text), sizeof text - 2,
                                           nullptr) ||
        type != REG_SZ)
        return {};
    return Utf8(text);
}

// A USB device's instance ID ends in its serial number ("USB\VID_0403&PID_6001\A12345"); one
// without a serial number of its own gets a generated one, which holds an "&".
std::string SerialNumberOf(HDEVINFO set, SP_DEVINFO_DATA &device) {
    wchar_t id[512] = {};
    if (!SetupDiGetDeviceInstanceIdW(set, &device, id, 511, nullptr))
        return {};
    const std::string instance = Utf8(id);
    const std::size_t last = instance.rfind('\\');
    if (Upper(instance).rfind("USB\\", 0) != 0 && Upper(instance).rfind("FTDIBUS\\", 0) != 0)
        return {};
    const std::string tail = last == std::string::npos ? std::string() : instance.substr(last + 1);
    return tail.find('&') == std::string::npos ? tail : std::string();
}

// The ports of the device list, by name ("COM3"), with what the system knows of each.
std::map<std::string, Adapter> ListedPorts() {
    std::map<std::string, Adapter> ports;
    HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return ports;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t name[64] = {};
        DWORD size = sizeof name - 2;
        DWORD type = 0;
        const bool named =
            RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(name),
                             &size) == ERROR_SUCCESS &&
            type == REG_SZ;
        RegCloseKey(key);
        if (!named)
            continue;
        Adapter adapter;
        adapter.maker = DeviceProperty(set, device, SPDRP_MFG);
        adapter.product = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
        if (adapter.product.empty())
            adapter.product = DeviceProperty(set, device, SPDRP_DEVICEDESC);
        adapter.serialNumber = SerialNumberOf(set, device);
        ports[Upper(Utf8(name))] = adapter;
    }
    SetupDiDestroyDeviceInfoList(set);
    return ports;
}

// Every serial port the system has mapped, virtual ones included: the values of
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM.
std::set<std::string> MappedPorts() {
    std::set<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256] = {};
        DWORD nameLength = 255;
        wchar_t data[64] = {};
        DWORD size = sizeof data - 2;
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && type == REG_SZ)
            ports.insert(Upper(Utf8(data)));
    }
    RegCloseKey(key);
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
        std::set<std::string> present = MappedPorts();
        for (const auto &[name, adapter] : ListedPorts())
            present.insert(name);
        std::string names;
        for (const std::string &name : present)
            names += (names.empty() ? "" : ", ") + name;
        diagnosis.details.push_back("serial ports of this machine: " +
                                    (names.empty() ? std::string("none") : names));
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
    const std::map<std::string, Adapter> listed = ListedPorts();
    const std::set<std::string> mapped = MappedPorts();
    std::vector<PortEntry> entries;
    for (int port = firstPort; port <= lastPort; ++port) {
        PortEntry entry;
        entry.port = port;
        entry.device = Com(port);
        entry.namedBy = "COM port";
        const auto adapter = listed.find(entry.device);
        entry.present = adapter != listed.end() || mapped.count(entry.device) != 0;
        // Whether another program holds it, Windows tells only to an open, which is not tried.
        entry.mayOpen = entry.present;
        if (!entry.present)
            entry.accessNote = "absent";
        if (adapter != listed.end()) {
            entry.maker = adapter->second.maker;
            entry.product = adapter->second.product;
            entry.serialNumber = adapter->second.serialNumber;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace vr
