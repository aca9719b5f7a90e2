#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vr::test {

// Whatever sits behind one port number of the virtual platform: the simulated controller, a
// silent port, or a scripted peer. Times are virtual microseconds.
class VirtualDevice {
public:
    virtual ~VirtualDevice() = default;

    // The program opens the port in `lineMode`. False means the open fails (port held).
    virtual bool open(const std::string &lineMode) = 0;
    virtual void close() = 0;

    // The program wrote these bytes at virtual time `nowMicros`.
    virtual void write(const std::uint8_t *data, std::size_t count, std::uint64_t nowMicros) = 0;

    // The next byte for the program, if one is due at or before `untilMicros`: sets `byte` and
    // its due time `dueMicros` and consumes it.
    virtual bool nextByte(std::uint64_t untilMicros, std::uint8_t &byte,
                          std::uint64_t &dueMicros) = 0;

    // True once the line is hung up: every read fails at once.
    virtual bool hungUp() const { return false; }
};

} // namespace vr::test
