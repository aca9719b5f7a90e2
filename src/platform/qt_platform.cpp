#include "platform/qt_platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

#include "platform/port_names.h"
#include "platform/serial_device.h"
#include "platform/tone.h"

namespace vr {

QtPlatform::QtPlatform() {
    clock_.start();
}

std::uint32_t QtPlatform::milliseconds() {
    // Kept to 32 bits, the count wraps to 0 after about 49.7 days.
    return static_cast<std::uint32_t>(clock_.elapsed());
}

void QtPlatform::sleep(std::uint32_t ms) {
    QThread::msleep(ms);
}

void QtPlatform::pumpEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

std::unique_ptr<SerialPort> QtPlatform::openSerial(int portNumber,
                                                   const std::optional<LineSettings> &line,
                                                   PortOpenFailure &failure) {
    return OpenSerialDevice(SerialDeviceName(portNumber), line, failure);
}

void QtPlatform::beep(int frequencyHz, int durationMs) {
    PlayTone(frequencyHz, durationMs);
}

LocalTime QtPlatform::localTime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

} // namespace vr
