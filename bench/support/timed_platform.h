#pragma once

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
    }
    // Monotonic seconds and process CPU seconds at the start of the reply wait; 0 before it.
    double waitStartSeconds() const { return waitStartSeconds_; }
    double waitStartCpu() const { return waitStartCpu_; }
    long pumpPasses() const { return pumpPasses_; }
    // Without pumping, a reply wait is only its reads: the difference is what the pump costs.
    void setPumping(bool on) { pumping_ = on; }

    std::uint32_t milliseconds() override {
        if (waitStartSeconds_ == 0) {
            waitStartSeconds_ = MonotonicSeconds();
            waitStartCpu_ = CpuSeconds();
        }
        return inner_.milliseconds();
    }
    void sleep(std::uint32_t ms) override { inner_.sleep(ms); }
    void pumpEvents() override {
        ++pumpPasses_;
        if (pumping_)
            inner_.pumpEvents();
    }
    std::unique_ptr<SerialPort> openSerial(int portNumber, const std::string &lineMode) override {
        return inner_.openSerial(portNumber, lineMode);
    }
    void beep(int frequencyHz, int durationMs) override { inner_.beep(frequencyHz, durationMs); }
    LocalTime localTime() override { return inner_.localTime(); }

private:
    Platform &inner_;
    double waitStartSeconds_ = 0;
    double waitStartCpu_ = 0;
    long pumpPasses_ = 0;
    bool pumping_ = true;
};

} // namespace vr::bench
