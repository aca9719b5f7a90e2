#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/qt_serial_port.h"

namespace vr {
namespace {

constexpr std::chrono::microseconds kReadTimeout{1000};

} // namespace

bool ReadOneByte(QSerialPort &port, std::uint8_t &byte) {
    // The event pump lets Qt's own notifier move bytes into its buffer: those come first.
    if (port.bytesAvailable() > 0) {
        char c = 0;
        if (port.getChar(&c)) {
            byte = static_cast<std::uint8_t>(c);
            return true;
        }
    }
    // poll() on the descriptor costs far less than an empty waitForReadyRead(1), which also
    // raises a TimeoutError each time.
    const auto start = std::chrono::steady_clock::now();
    const int descriptor = static_cast<int>(port.handle());
    if (descriptor >= 0) {
        pollfd wanted{descriptor, POLLIN, 0};
        if (::poll(&wanted, 1, 1) > 0 && (wanted.revents & POLLIN) &&
            ::read(descriptor, &byte, 1) == 1)
            return true;
    }
    // A hung-up descriptor polls ready at once and its read fails: wait out the millisecond.
    std::this_thread::sleep_until(start + kReadTimeout);
    return false;
}

} // namespace vr
