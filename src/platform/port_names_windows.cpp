#include "platform/port_names.h"

namespace vr {

std::string SerialDeviceName(int portNumber) {
    return portNumber < 1 ? std::string() : WindowsPortName(portNumber);
}

} // namespace vr
