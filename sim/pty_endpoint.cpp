#include "sim/pty_endpoint.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <vector>

namespace vr::sim {
namespace {

int baudOf(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

void closeFd(int &fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

PtyEndpoint::PtyEndpoint(ControllerModel &model)
    : model_(model), start_(std::chrono::steady_clock::now()) {
}

PtyEndpoint::~PtyEndpoint() {
    closeFd(slaveHold_);
    closeFd(master_);
}

Micros PtyEndpoint::now() const {
    return static_cast<Micros>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - start_)
                                   .count());
}

bool PtyEndpoint::open(std::string &error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0) {
        error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
        return false;
    }
    termios settings{};
    ::tcgetattr(slaveHold_, &settings);
    ::cfmakeraw(&settings); // no echo, no line editing, no CR/NL translation
    settings.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB);
    // A speed no line mode uses: until the program sets its own, the controller hears nothing.
    ::cfsetspeed(&settings, B1200);
    ::tcsetattr(slaveHold_, TCSANOW, &settings);
    return true;
}

// tcgetattr on the master shows the settings the program gave the slave: speed, stop bits and
// flow control are visible there, parity and data bits are not.
bool PtyEndpoint::lineMatches(Micros at) const {
    termios settings{};
    return ::tcgetattr(master_, &settings) == 0 && lineMatches(settings, at);
}

bool PtyEndpoint::lineMatches(const termios &settings, Micros at) const {
    const LineSettings line = model_.lineSettings(at);
    const int stopBits = (settings.c_cflag & CSTOPB) ? 2 : 1;
    const bool flowControl =
        (settings.c_cflag & CRTSCTS) != 0 || (settings.c_iflag & (IXON | IXOFF)) != 0;
    return baudOf(::cfgetospeed(&settings)) == line.baudRate && stopBits == line.stopBits &&
           !flowControl;
}

void PtyEndpoint::readRequests() {
    std::uint8_t buffer[512];
    for (;;) {
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count <= 0)
            return; // EAGAIN: all taken
        const Micros at = now();
        if (lineMatches(at))
            model_.receive(buffer, static_cast<std::size_t>(count), at);
        if (model_.hungUp()) {
            hangUp();
            return;
        }
    }
}

// Bytes due while the slave is not at the controller's speed (the program has closed the port and
// its settings went back, or opened it in another mode) would not be read as sent: they are lost.
void PtyEndpoint::writeDueBytes() {
    termios settings{};
    const bool known = ::tcgetattr(master_, &settings) == 0;
    std::vector<std::uint8_t> due;
    std::uint8_t byte = 0;
    Micros when = 0;
    while (model_.nextByte(now(), byte, when))
        if (known && lineMatches(settings, when))
            due.push_back(byte);
    if (due.empty())
        return;
    // A full input queue on the program's side drops the rest, as a line would.
    const ssize_t written = ::write(master_, due.data(), due.size());
    static_cast<void>(written);
}

// Closing the master hangs up the line: the program's reads on the slave fail from then on.
void PtyEndpoint::hangUp() {
    closeFd(slaveHold_);
    closeFd(master_);
}

void PtyEndpoint::serve(const volatile std::sig_atomic_t &stop, const sigset_t &stopSignals,
                        const std::function<void()> &hungUp) {
    sigset_t waitMask;
    ::sigprocmask(SIG_SETMASK, nullptr, &waitMask);
    for (int signal = 1; signal < NSIG; ++signal)
        if (::sigismember(&stopSignals, signal) == 1)
            ::sigdelset(&waitMask, signal);

    while (!stop) {
        pollfd watch{master_, POLLIN, 0};
        timespec timeout{};
        timespec *wait = nullptr; // no reply waiting: sleep until a request or a signal
        if (master_ >= 0) {
            if (const auto next = model_.nextDue()) {
                const Micros at = now();
                const Micros left = *next > at ? *next - at : 0;
                timeout.tv_sec = static_cast<time_t>(left / 1'000'000);
                timeout.tv_nsec = static_cast<long>(left % 1'000'000 * 1000);
                wait = &timeout;
            }
        }
        const int ready = ::ppoll(&watch, master_ >= 0 ? 1 : 0, wait, &waitMask);
        if (ready < 0 && errno != EINTR)
            break;
        if (master_ < 0)
            continue;
        if (ready > 0 && (watch.revents & POLLIN)) {
            readRequests();
            if (master_ < 0)
                hungUp();
        }
        if (master_ >= 0)
            writeDueBytes();
    }
}

} // namespace vr::sim
