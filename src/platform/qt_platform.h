#pragma once

#include <QElapsedTimer>

#include "platform/platform.h"

namespace vr {

// The platform the program runs on: Qt's clock, sleep and event pump, serial ports (named as
// port_names.h says; Qt Serial Port on Linux, the Win32 comm calls on Windows), and the
// machine's sound device for beeps.
class QtPlatform : public Platform {
public:
    QtPlatform();

    std::uint32_t milliseconds() override;
    void sleep(std::uint32_t ms) override;
    void pumpEvents() override;
    std::unique_ptr<SerialPort> openSerial(int portNumber, const std::optional<LineSettings> &line,
                                           PortOpenFailure &failure) override;
    void beep(int frequencyHz, int durationMs) override;
    LocalTime localTime() override;

private:
    QElapsedTimer clock_;
};

} // namespace vr
