#pragma once

#include <string>

#include "support/virtual_device.h"

namespace vr::test {

// A port with nothing behind it that answers: it opens (once at a time), swallows every write and
// never sends a byte. Optionally the line is hung up, so every read fails at once.
class SilentDevice : public VirtualDevice {
public:
    bool open(const std::string &lineMode) override {
        if (isOpen_ || refuseOpen)
            return false;
        isOpen_ = true;
        lineMode_ = lineMode;
        ++opens_;
        return true;
    }
    void close() override { isOpen_ = false; }
    void write(const std::uint8_t *, std::size_t count, std::uint64_t) override {
        bytesWritten_ += count;
    }
    bool nextByte(std::uint64_t, std::uint8_t &, std::uint64_t &) override { return false; }
    bool hungUp() const override { return hangUp; }

    bool isOpen() const { return isOpen_; }
    const std::string &lineMode() const { return lineMode_; }
    int opens() const { return opens_; }
    std::size_t bytesWritten() const { return bytesWritten_; }

    bool refuseOpen = false; // the port is held by another program
    bool hangUp = false;     // the line is gone

private:
    bool isOpen_ = false;
    std::string lineMode_;
    int opens_ = 0;
    std::size_t bytesWritten_ = 0;
};

} // namespace vr::test
