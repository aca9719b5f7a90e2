#include "support/simulated_device.h"

namespace vr::test {

bool SimulatedDevice::open(const std::string &lineMode) {
    // A hung-up line is a device that has gone away.
    if (openMode_ || refuseOpen || model_.hungUp())
        return false;
    openMode_ = ParseLineMode(lineMode);
    ++opens_;
    return true;
}

void SimulatedDevice::close() {
    openMode_.reset();
    model_.discardOutput(); // bytes still on their way fall on a closed port
}

void SimulatedDevice::write(const std::uint8_t *data, std::size_t count, std::uint64_t nowMicros) {
    if (!openMode_ || !*openMode_ || **openMode_ != model_.lineSettings(nowMicros))
        return;
    model_.receive(data, count, nowMicros);
}

bool SimulatedDevice::nextByte(std::uint64_t untilMicros, std::uint8_t &byte,
                               std::uint64_t &dueMicros) {
    if (!openMode_)
        return false;
    return model_.nextByte(untilMicros, byte, dueMicros);
}

} // namespace vr::test
