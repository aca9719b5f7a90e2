#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <termios.h>

#include "sim/controller_model.h"

namespace vr::sim {

// The simulated controller at the far end of a pseudo-terminal. The program opens the slave side
// as its serial port; the endpoint reads the requests from the master side and writes each reply
// byte at the time the model says it is due, so the replies arrive at the wire rate.
//
// A pty carries neither parity nor data bits, so the controller hears the program only while the
// slave is set to the controller's speed and stop bits with no flow control.
class PtyEndpoint {
public:
    explicit PtyEndpoint(ControllerModel &model);
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint &) = delete;
    PtyEndpoint &operator=(const PtyEndpoint &) = delete;

    // Creates the pty in raw mode. On failure returns false with the reason in `error`.
    bool open(std::string &error);
    const std::string &slavePath() const { return slavePath_; }

    // Serves until `stop` is set by the handler of one of `stopSignals`, which the caller keeps
    // blocked: they are let through only while the endpoint waits, so none is missed. Calls
    // `hungUp` once the line has hung up (the "hangup" fault); it serves nothing from then on.
    void serve(const volatile std::sig_atomic_t &stop, const sigset_t &stopSignals,
               const std::function<void()> &hungUp);

    // Microseconds since the endpoint was made: the model's time.
    Micros now() const;

private:
    bool lineMatches(Micros at) const;
    bool lineMatches(const termios &settings, Micros at) const;
    void readRequests();
    void writeDueBytes();
    void hangUp();

    ControllerModel &model_;
    std::chrono::steady_clock::time_point start_;
    int master_ = -1;
    int slaveHold_ = -1; // keeps the slave open so the master never sees a hang-up of its own
    std::string slavePath_;
};

} // namespace vr::sim
