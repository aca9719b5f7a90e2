#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace vr {

// Opens the serial device `deviceName` (a path, or a name such as "COM3") exclusively and applies
// `line` (none: the device keeps its settings). Null, with the reason in `failure`, when the name
// is empty or the device does not open; line settings that the device refuses are no error.
// One implementation per operating system: Qt Serial Port on Linux (qt_serial_port.cpp), the
// Win32 comm calls on Windows (win32_serial_port.cpp).
std::unique_ptr<SerialPort> OpenSerialDevice(const std::string &deviceName,
                                             const std::optional<LineSettings> &line,
                                             PortOpenFailure &failure);

} // namespace vr
