#include "platform/qt_serial_port.h"

#include "platform/port_diagnostics.h"
#include "platform/serial_device.h"

namespace vr {
namespace {

// The driver takes a request at once; this only keeps a stuck line from freezing the window.
// A write that is not taken within it ends its exchange by time-out, like any failed write.
constexpr int kWriteTakenLimitMs = 500;

PortProblem ProblemOf(QSerialPort::SerialPortError error, const std::string &device) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortProblem::Absent;
    case QSerialPort::PermissionError:
        // Qt reports a port held by another program (its lock file, or an exclusive open) as a
        // permission error too: a device this user may open was refused for being held.
        return ThisUserMayOpen(device) ? PortProblem::Busy : PortProblem::Permission;
    default:
        return PortProblem::Other;
    }
}

} // namespace

std::unique_ptr<QtSerialPort> QtSerialPort::open(const std::string &deviceName,
                                                 const std::optional<LineSettings> &line,
                                                 PortOpenFailure &failure) {
    failure = {PortProblem::Absent, deviceName, {}};
    if (deviceName.empty())
        return nullptr;
    std::unique_ptr<QtSerialPort> serial(new QtSerialPort);
    QSerialPort &port = serial->port_;
    port.setPortName(QString::fromStdString(deviceName));
    // Opened with Qt's defaults, then set step by step: set before the open, a setting the
    // device refuses would make the open itself fail.
    if (!port.open(QIODevice::ReadWrite)) {
        failure.problem = ProblemOf(port.error(), deviceName);
        failure.detail = port.errorString().toStdString();
        return nullptr;
    }
    if (line) {
        port.setBaudRate(line->baudRate);
        port.setParity(line->parity == Parity::Even ? QSerialPort::EvenParity
                                                    : QSerialPort::NoParity);
        port.setDataBits(static_cast<QSerialPort::DataBits>(line->dataBits));
        port.setStopBits(line->stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    }
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.clearError();
    return serial;
}

bool QtSerialPort::readByte(std::uint8_t &byte) {
    return ReadOneByte(port_, byte);
}

void QtSerialPort::write(const std::uint8_t *data, std::size_t count) {
    if (count == 0)
        return;
    port_.write(reinterpret_cast<const char *>(data), static_cast<qint64>(count));
    port_.waitForBytesWritten(kWriteTakenLimitMs);
    port_.clearError();
}

std::unique_ptr<SerialPort> OpenSerialDevice(const std::string &deviceName,
                                             const std::optional<LineSettings> &line,
                                             PortOpenFailure &failure) {
    return QtSerialPort::open(deviceName, line, failure);
}

} // namespace vr
