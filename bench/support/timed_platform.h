#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "figures.h"
#include "platform/platform.h"

namespace vr::bench {

// Passes every service on to the real platform and notes when an exchange starts to wait: the
// link reads the clock for the first time right after the last paced write, so the first clock
// reading after arm() splits an exchange into its writes and its reply wait. Counts the pump
// passes too.
class TimedPlatform : public Platform {
public:
    explicit TimedPlatform(Platform &inner) : inner_(inner) {}

    void arm() {
        waitStartSeconds_ = 0;
        waitStartCpu_ = 0;
        sleptSeconds_ = 0;
        longestPassSeconds_ = 0;
        lastPassEnd_ = 0;
    }
    // Monotonic seconds and process CPU seconds at the start of the reply wait; 0 before it.
    double waitStartSeconds() const { return waitStartSeconds_; }
    double waitStartCpu() const { return waitStartCpu_; }
    long pumpPasses() const { return pumpPasses_; }
    // Seconds spent in sleeps since arm(): the paced writes' pauses.
    double sleptSeconds() const { return sleptSeconds_; }
    // The longest time between two clock readings of the reply wait since arm(): one read and
    // one pump, normally a little over 1 ms.
    double longestPassSeconds() const { return longestPassSeconds_; }
    // Without pumping, a reply wait is only its reads: the difference is what the pump costs.
    void setPumping(bool on) { pumping_ = on; }

    std::uint32_t milliseconds() override {
        const double now = MonotonicSeconds();
        if (waitStartSeconds_ == 0) {
            waitStartSeconds_ = now;
            waitStartCpu_ = CpuSeconds();
        } else {
            longestPassSeconds_ = std::max(longestPassSeconds_, now - lastPassEnd_);
        }
        lastPassEnd_ = now;
        return inner_.milliseconds();
    }
    void sleep(std::uint32_t ms) override {
        const double start = MonotonicSeconds();
        inner_.sleep(ms);
        sleptSeconds_ += MonotonicSeconds() - start;
    }
    void pumpEvents() override {
        ++pumpPasses_;
        if (pumping_)
            inner_.pumpEvents();
    }
    std::unique_ptr<SerialPort> openSerial(int portNumber, const std::optional<LineSettings> &line,
                                           PortOpenFailure &failure) override {
        return inner_.openSerial(portNumber, line, failure);
    }
    void beep(int frequencyHz, int durationMs) override { inner_.beep(frequencyHz, durationMs); }
    LocalTime localTime() override { return inner_.localTime(); }

private:
    Platform &inner_;
    double waitStartSeconds_ = 0;
    double waitStartCpu_ = 0;
    double sleptSeconds_ = 0;
    double longestPassSeconds_ = 0;
    double lastPassEnd_ = 0;
    long pumpPasses_ = 0;
    bool pumping_ = true;
};

} // namespace vr::bench
