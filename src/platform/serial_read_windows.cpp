#include "platform/qt_serial_port.h"

namespace vr {

bool ReadOneByte(QSerialPort &port, std::uint8_t &byte) {
    char c = 0;
    if ((port.bytesAvailable() > 0 || port.waitForReadyRead(1)) && port.getChar(&c)) {
        byte = static_cast<std::uint8_t>(c);
        return true;
    }
    port.clearError(); // an empty wait reports a TimeoutError
    return false;
}

} // namespace vr
