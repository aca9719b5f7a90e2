#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/line_settings.h"

namespace vr {

// One open serial port. Destroying it puts back the port's saved settings and closes it.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Waits at most about 1 ms for one byte. Returns true and sets `byte` when one was read;
    // a failed read counts as a read that brought no byte.
    virtual bool readByte(std::uint8_t &byte) = 0;

    // Writes the bytes and returns once the driver has taken them. The outcome is not reported:
    // an exchange on a port whose writes fail ends by time-out.
    virtual void write(const std::uint8_t *data, std::size_t count) = 0;
};

// Why a serial port did not open.
enum class PortProblem {
    Absent,     // no such device (nothing behind the port number, or a link that points nowhere)
    Permission, // the device is there but this user may not open it
    Busy,       // another program holds it
    Other,
};

struct PortOpenFailure {
    PortProblem problem = PortProblem::Other;
    std::string device; // the device the port number names; empty when it names none
    std::string detail; // the operating system's own words, where it gave any
};

// The PC's local calendar time, as the Set Date Time operation and the clock panel show it.
struct LocalTime {
    int year = 2001;
    int month = 1;
    int day = 1;
    int hour = 12;
    int minute = 0;
    int second = 0;
};

// Every service of the operating system that the link and the operations use. The program runs
// on the Qt implementation; tests run on a virtual-time one.
class Platform {
public:
    virtual ~Platform() = default;

    // A millisecond count that wraps to 0 after 2^32 ms. Elapsed time is always
    // `now - start` in unsigned 32-bit arithmetic.
    virtual std::uint32_t milliseconds() = 0;

    // A plain sleep: no window message is handled meanwhile.
    virtual void sleep(std::uint32_t ms) = 0;

    // Handles the window's pending messages once and returns.
    virtual void pumpEvents() = 0;

    // Opens serial port `portNumber` ("COM" + n on Windows) exclusively and applies `line` (none:
    // the device keeps its settings). Returns nullptr when the device does not exist or is held
    // by another opener, with the reason in `failure`. Failures to apply the line settings are
    // not reported.
    virtual std::unique_ptr<SerialPort> openSerial(int portNumber,
                                                   const std::optional<LineSettings> &line,
                                                   PortOpenFailure &failure) = 0;

    // A synchronous tone: returns when the tone has ended (or, with no sound device, after the
    // same time in silence).
    virtual void beep(int frequencyHz, int durationMs) = 0;

    virtual LocalTime localTime() = 0;
};

} // namespace vr
