// Feeds the operations' reply readers arbitrary accepted replies: a peer that answers every
// request with a well-framed reply around an arbitrary payload (short ones, zero bytes,
// non-digits where digits belong), or not at all. Runs the scan, Set ID, Test Command and the
// auto test's polling loop against it in virtual time. Once the input is used up the peer
// answers every request at once with a plain reply and the auto test is cancelled, so that an
// execution ends quickly instead of waiting out reply limits.
#include <fuzzer/FuzzedDataProvider.h>

#include "link/frame_codec.h"
#include "operations/controller_operations.h"
#include "recording_view.h"
#include "support/virtual_device.h"
#include "support/virtual_platform.h"

namespace {

class FuzzPeer : public vr::test::VirtualDevice {
public:
    explicit FuzzPeer(FuzzedDataProvider &input) : input_(input) {}

    bool open(const std::string &) override { return true; }
    void close() override {}
    void write(const std::uint8_t *data, std::size_t count, std::uint64_t nowMicros) override {
        for (std::size_t i = 0; i < count; ++i) {
            if (data[i] != vr::CR)
                continue;
            pending_.clear();
            next_ = 0;
            due_ = nowMicros;
            if (input_.remaining_bytes() == 0) {
                pending_ = vr::ReplyFrame("00100");
                continue;
            }
            if (!input_.ConsumeBool())
                continue; // no answer to this request
            const std::string payload = input_.ConsumeRandomLengthString(60);
            pending_ = input_.ConsumeBool() ? vr::ReplyFrame(payload) : payload;
            due_ = nowMicros + input_.ConsumeIntegralInRange<std::uint64_t>(0, 400'000);
        }
    }
    bool nextByte(std::uint64_t untilMicros, std::uint8_t &byte,
                  std::uint64_t &dueMicros) override {
        if (next_ >= pending_.size() || due_ > untilMicros)
            return false;
        byte = static_cast<std::uint8_t>(pending_[next_++]);
        dueMicros = due_;
        return true;
    }

private:
    FuzzedDataProvider &input_;
    std::string pending_;
    std::size_t next_ = 0;
    std::uint64_t due_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vr::test::VirtualPlatform platform;
    FuzzPeer peer(input);
    platform.attach(1, peer);

    vr::Session session;
    session.settings.ScanCommNo = 1; // the stored port is tried first
    vr::test::RecordingView view(&session);
    view.beeper = &platform;
    vr::ControllerLink link(platform);
    vr::ControllerOperations controllerOperations(platform, link, session, view, nullptr);
    vr::test::ViewOperations operations(controllerOperations, view);

    operations.scan();
    if (!session.ControllerFound)
        return 0;
    operations.setId();
    operations.testCommand();
    // Once the input is used up, the next pump is the operator's Cancel press.
    platform.onPump = [&] {
        if (input.remaining_bytes() == 0 && session.TestRunning)
            operations.autoTest();
    };
    operations.autoTest();
    if (session.TestRunning || link.isOpen())
        __builtin_trap();
    return 0;
}
