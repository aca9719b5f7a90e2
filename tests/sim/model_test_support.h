#pragma once

#include <string>
#include <vector>

#include "link/frame_codec.h"
#include "sim/controller_model.h"

namespace vr::sim::test {

// One reply as it left the controller: its bytes and the time each one was due.
struct Reply {
    std::string bytes;
    std::vector<Micros> due;
};

// Sends the framed body at `at` and takes every reply byte due within the next ten seconds.
inline Reply exchange(ControllerModel &model, const std::string &body, Micros at) {
    model.receive(RequestFrame(body), at);
    Reply reply;
    std::uint8_t byte = 0;
    Micros due = 0;
    while (model.nextByte(at + 10'000'000, byte, due)) {
        reply.bytes += static_cast<char>(byte);
        reply.due.push_back(due);
    }
    return reply;
}

// The reply frame the controller with `address` sends for `data`.
inline std::string okReply(const std::string &address, const std::string &data) {
    return ReplyFrame(address + "OK" + data);
}

} // namespace vr::sim::test
