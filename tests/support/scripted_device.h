#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "support/virtual_device.h"

namespace vr::test {

// A peer for link tests: every request frame it receives (bytes up to a CR) is answered with the
// next scripted reply, whose bytes fall due at scripted offsets after that CR was written.
// With no scripted reply left, a request goes unanswered.
class ScriptedDevice : public VirtualDevice {
public:
    // A run of reply bytes: the first is due `offsetMicros` after the request's CR, each further
    // one `gapMicros` after the one before.
    struct Piece {
        std::uint64_t offsetMicros = 2000;
        std::string bytes;
        std::uint64_t gapMicros = 0;
    };
    using Reply = std::vector<Piece>;

    // Queues the reply to the next unanswered request.
    void answerNext(Reply reply) { replies_.push_back(std::move(reply)); }
    void answerNext(std::string bytes, std::uint64_t offsetMicros = 2000,
                    std::uint64_t gapMicros = 0) {
        answerNext(Reply{Piece{offsetMicros, std::move(bytes), gapMicros}});
    }
    // Bytes that arrive on their own, the first at virtual time `atMicros`.
    void sendAt(std::uint64_t atMicros, const std::string &bytes, std::uint64_t gapMicros = 0);

    // Every complete request frame received, SOH through CR.
    const std::vector<std::string> &requests() const { return requests_; }
    std::size_t pendingBytes() const { return pending_.size(); }
    bool isOpen() const { return isOpen_; }
    const std::string &lineMode() const { return lineMode_; }

    bool refuseOpen = false;
    bool hangUp = false;

    // VirtualDevice
    bool open(const std::string &lineMode) override;
    void close() override;
    void write(const std::uint8_t *data, std::size_t count, std::uint64_t nowMicros) override;
    bool nextByte(std::uint64_t untilMicros, std::uint8_t &byte, std::uint64_t &dueMicros) override;
    bool hungUp() const override { return hangUp; }

private:
    void schedule(std::uint64_t dueMicros, std::uint8_t byte);

    bool isOpen_ = false;
    std::string lineMode_;
    std::string request_;
    std::vector<std::string> requests_;
    std::deque<Reply> replies_;
    std::deque<std::pair<std::uint64_t, std::uint8_t>> pending_; // by due time
};

} // namespace vr::test
