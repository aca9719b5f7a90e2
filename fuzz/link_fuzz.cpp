// Feeds the link's receive loop arbitrary byte streams with arbitrary read timings: each read
// either brings the next byte of the input or comes back empty after an arbitrary step of the
// clock, which starts anywhere in its 32-bit range so that wraps are met too.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "link/controller_link.h"
#include "link/frame_codec.h"

namespace {

class FuzzPlatform;

class FuzzPort : public vr::SerialPort {
public:
    explicit FuzzPort(FuzzPlatform &platform) : platform_(platform) {}
    bool readByte(std::uint8_t &byte) override;
    void write(const std::uint8_t *, std::size_t) override {}

private:
    FuzzPlatform &platform_;
};

class FuzzPlatform : public vr::Platform {
public:
    explicit FuzzPlatform(FuzzedDataProvider &input)
        : input_(input), now_(input.ConsumeIntegral<std::uint32_t>()) {}

    std::uint32_t milliseconds() override { return now_; }
    void sleep(std::uint32_t ms) override { now_ += ms; }
    void pumpEvents() override {}
    std::unique_ptr<vr::SerialPort> openSerial(int, const std::optional<vr::LineSettings> &,
                                               vr::PortOpenFailure &) override {
        return std::make_unique<FuzzPort>(*this);
    }
    void beep(int, int) override {}
    vr::LocalTime localTime() override { return {}; }

    bool read(std::uint8_t &byte) {
        ++reads_;
        if (input_.remaining_bytes() == 0) { // the line has gone quiet for good
            now_ += 1;
            return false;
        }
        if (input_.ConsumeBool()) {
            byte = input_.ConsumeIntegral<std::uint8_t>();
            return true;
        }
        now_ += input_.ConsumeIntegralInRange<std::uint32_t>(0, 400);
        return false;
    }
    std::size_t reads() const { return reads_; }

private:
    FuzzedDataProvider &input_;
    std::uint32_t now_;
    std::size_t reads_ = 0;
};

bool FuzzPort::readByte(std::uint8_t &byte) {
    return platform_.read(byte);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    FuzzPlatform platform(input);
    vr::ControllerLink link(platform);
    if (!link.CommOpen(1, "19200,e,8,1"))
        std::abort();
    // Several exchanges on one open port, so stale bytes of one are met by the next.
    for (int exchange = 0; exchange < 4; ++exchange) {
        const std::string body = input.ConsumeRandomLengthString(300);
        const bool accepted = link.SendCommand(body);
        const int length = link.ReplyLength();
        if (length < 0 || length >= static_cast<int>(vr::ControllerLink::kReceiveBufferSize))
            std::abort();
        if (accepted) {
            const std::string &reply = link.LastReply();
            // An accepted reply starts at its ETX and carries at least four payload bytes.
            if (reply.empty() || static_cast<std::uint8_t>(reply.front()) != vr::ETX || length < 11)
                std::abort();
        }
    }
    link.CommClose();
    // Without input the wait ends by time-out: the loop can never spin unboundedly.
    if (platform.reads() > 4 * (1024 + 400) + size)
        std::abort();
    return 0;
}
