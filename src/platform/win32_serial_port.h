#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace vr {

// The time-outs of an open port: a one-byte read returns after at most 1 ms when no byte is
// waiting (read interval 0, read total multiplier 0, read total constant 1), and writes have no
// time-out (write total multiplier 0, write total constant 0).
inline constexpr COMMTIMEOUTS kLinkTimeouts{0, 0, 1, 0, 0};

// A serial port through the plain Win32 comm calls (Qt Serial Port's overlapped reads deliver no
// byte under Wine, where the Windows build is tested): CreateFile with read and write access, no
// sharing and no flags; the port's own time-outs saved and put back at close; one-byte ReadFile,
// WriteFile, CloseHandle.
//
// While a port is open the process asks Windows for a 1 ms timer tick. Windows ticks every
// 15.6 ms unless some program asks otherwise, and then Sleep(1) and a 1 ms read time-out each
// last a whole tick: the eight paced writes of a request would take some 120 ms instead of 12,
// and a reply wait would wake 64 times a second instead of about 1000. All timed work of the
// link happens on an open port, so an idle window costs the machine nothing.
class Win32SerialPort : public SerialPort {
public:
    // Opens the device (such as "COM3" or "\\.\COM10"), applies the link time-outs and, when
    // given, the line settings. Null, with the reason in `failure`, when the name is empty or
    // CreateFile fails. Failures to read or set time-outs or line settings are not reported.
    static std::unique_ptr<Win32SerialPort> open(const std::string &deviceName,
                                                 const std::optional<LineSettings> &line,
                                                 PortOpenFailure &failure);
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort &) = delete;
    Win32SerialPort &operator=(const Win32SerialPort &) = delete;

    bool readByte(std::uint8_t &byte) override;
    void write(const std::uint8_t *data, std::size_t count) override;

    HANDLE handle() const { return handle_; }

private:
    explicit Win32SerialPort(HANDLE handle);

    HANDLE handle_;
    COMMTIMEOUTS savedTimeouts_{};
    bool timeoutsSaved_ = false;
};

// Puts baud rate, parity, data bits and stop bits into `dcb` and turns off every kind of flow
// control (neither XON/XOFF nor a hardware handshake; DTR and RTS simply on), as BuildCommDCB
// does for a mode text without "x" or "p". Also keeps the driver from dropping zero bytes or
// replacing bytes with parity errors, and from stopping all reads after a line error until the
// error is cleared: a scan that tries a wrong speed causes such errors on purpose.
void ApplyLineSettings(DCB &dcb, const LineSettings &line);

// The reason behind a CreateFile error code. Windows reports a port that another program holds
// as access denied, so that is Busy; there is no Permission on Windows.
PortProblem PortProblemOf(DWORD error);

// The system's text for an error code, without its line break; "Windows error N" when it has
// none.
std::string SystemErrorText(DWORD error);

} // namespace vr
