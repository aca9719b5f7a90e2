#pragma once

#include <QSerialPort>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace vr {

// A serial port on Qt Serial Port (the Linux one), which opens it exclusively (a lock file and
// TIOCEXCL, so a second opener fails, also in another process) and puts back its settings when
// it closes.
class QtSerialPort : public SerialPort {
public:
    // Opens the device (a path, or a name such as "COM3") and applies the line settings. Null,
    // with the reason in `failure`, when the name is empty or the device does not open. Line
    // settings that the device refuses are no error: a pseudo-terminal, for one, carries neither
    // parity nor data bits.
    static std::unique_ptr<QtSerialPort> open(const std::string &deviceName,
                                              const std::optional<LineSettings> &line,
                                              PortOpenFailure &failure);

    bool readByte(std::uint8_t &byte) override;
    void write(const std::uint8_t *data, std::size_t count) override;

    QSerialPort &port() { return port_; }

private:
    QtSerialPort() = default;

    QSerialPort port_;
};

// One read of at most about 1 ms: the byte Qt already holds, else the first byte the device
// brings within the millisecond. A device that is gone (hung up) still takes its millisecond,
// so a reply wait on it does not spin.
bool ReadOneByte(QSerialPort &port, std::uint8_t &byte);

} // namespace vr
