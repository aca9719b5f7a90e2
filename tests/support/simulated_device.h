#pragma once

#include <optional>
#include <string>

#include "link/line_modes.h"
#include "sim/controller_model.h"
#include "support/virtual_device.h"

namespace vr::test {

// The simulated controller behind a port of the virtual platform. The controller hears the
// program only while the port is open in its own whole line mode, parity included (a mismatch is
// noise to it), so a sweep over the line modes finds it in exactly one mode.
class SimulatedDevice : public VirtualDevice {
public:
    explicit SimulatedDevice(sim::ControllerOptions options = {}) : model_(std::move(options)) {}

    sim::ControllerModel &model() { return model_; }
    const sim::ControllerModel &model() const { return model_; }

    bool open(const std::string &lineMode) override;
    void close() override;
    void write(const std::uint8_t *data, std::size_t count, std::uint64_t nowMicros) override;
    bool nextByte(std::uint64_t untilMicros, std::uint8_t &byte, std::uint64_t &dueMicros) override;
    bool hungUp() const override { return model_.hungUp(); }

    bool isOpen() const { return openMode_.has_value(); }
    int opens() const { return opens_; }
    bool refuseOpen = false; // the port is held by another program

private:
    sim::ControllerModel model_;
    std::optional<std::optional<LineSettings>> openMode_; // outer: open; inner: mode text parsed
    int opens_ = 0;
};

} // namespace vr::test
