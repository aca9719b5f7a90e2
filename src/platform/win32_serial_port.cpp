#include "platform/win32_serial_port.h"

#include <timeapi.h>

#include <chrono>

#include "platform/serial_device.h"

namespace vr {
namespace {

constexpr UINT kTimerTickMs = 1;
constexpr std::chrono::milliseconds kReadTimeout{1};

} // namespace

std::unique_ptr<SerialPort> OpenSerialDevice(const std::string &deviceName,
                                             const std::optional<LineSettings> &line,
                                             PortOpenFailure &failure) {
    return Win32SerialPort::open(deviceName, line, failure);
}

PortProblem PortProblemOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return PortProblem::Absent;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return PortProblem::Busy;
    default:
        return PortProblem::Other;
    }
}

std::string SystemErrorText(DWORD error) {
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer) {
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length),
                                                nullptr, 0, nullptr, nullptr);
        text.resize(static_cast<std::size_t>(bytes));
        ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), bytes,
                              nullptr, nullptr);
    }
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "Windows error " + std::to_string(error) : text;
}

void ApplyLineSettings(DCB &dcb, const LineSettings &line) {
    const bool even = line.parity == Parity::Even;
    dcb.BaudRate = static_cast<DWORD>(line.baudRate);
    dcb.ByteSize = static_cast<BYTE>(line.dataBits);
    dcb.Parity = even ? EVENPARITY : NOPARITY;
    dcb.fParity = even ? TRUE : FALSE;
    dcb.StopBits = line.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
}

Win32SerialPort::Win32SerialPort(HANDLE handle) : handle_(handle) {
    // Windows 11 may leave the tick coarse for a process whose window is minimized or covered,
    // while a looping test runs on behind it: ask to be held to the request always.
    PROCESS_POWER_THROTTLING_STATE throttling{PROCESS_POWER_THROTTLING_CURRENT_VERSION,
                                              PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION, 0};
    ::SetProcessInformation(::GetCurrentProcess(), ProcessPowerThrottling, &throttling,
                            sizeof(throttling));
    ::timeBeginPeriod(kTimerTickMs);
}

Win32SerialPort::~Win32SerialPort() {
    if (timeoutsSaved_)
        ::SetCommTimeouts(handle_, &savedTimeouts_);
    ::CloseHandle(handle_);
    ::timeEndPeriod(kTimerTickMs);
}

std::unique_ptr<Win32SerialPort> Win32SerialPort::open(const std::string &deviceName,
                                                       const std::optional<LineSettings> &line,
                                                       PortOpenFailure &failure) {
    failure = {PortProblem::Absent, deviceName, {}};
    if (deviceName.empty())
        return nullptr;
    const HANDLE handle = ::CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        failure.problem = PortProblemOf(error);
        failure.detail = SystemErrorText(error);
        return nullptr;
    }
    std::unique_ptr<Win32SerialPort> port(new Win32SerialPort(handle));
    port->timeoutsSaved_ = ::GetCommTimeouts(handle, &port->savedTimeouts_) != FALSE;
    COMMTIMEOUTS timeouts = kLinkTimeouts;
    ::SetCommTimeouts(handle, &timeouts);
    if (line) {
        DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        if (::GetCommState(handle, &dcb)) {
            ApplyLineSettings(dcb, *line);
            ::SetCommState(handle, &dcb);
        }
    }
    return port;
}

bool Win32SerialPort::readByte(std::uint8_t &byte) {
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t received = 0;
    DWORD count = 0;
    if (::ReadFile(handle_, &received, 1, &count, nullptr) && count == 1) {
        byte = received;
        return true;
    }
    // A read that fails (the device is gone) comes back at once: wait out the millisecond, so a
    // reply wait on such a port does not spin.
    if (std::chrono::steady_clock::now() - start < kReadTimeout)
        ::Sleep(1);
    return false;
}

void Win32SerialPort::write(const std::uint8_t *data, std::size_t count) {
    if (count == 0)
        return;
    DWORD written = 0;
    ::WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr);
}

} // namespace vr
