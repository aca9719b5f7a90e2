#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vr {

// How an operation ended.
enum class OutcomeKind {
    Ok,
    ExchangeFailed, // no reply, a refused or a malformed reply where one was needed
    NotFound,       // the scan found no controller; any other operation: none found yet
    PortNotOpened,  // the port did not open (why: Outcome::portFailure)
    Cancelled,      // Cancel of a looping test, or an interruption (the command line's Ctrl-C)
    InputRefused,   // an input with nothing sound to send; nothing went on the wire
};

// What the operations read of the controller. Empty texts were not read.
struct ControllerInfo {
    std::string address;   // three characters of the accepted probe reply
    std::string serial;    // eight characters of the probe reply
    std::string version;   // eight characters of the "AV" reply
    std::string clock;     // fourteen characters "yyyymmddhhnnss" of "AB" or the last poll
    std::string cardWidth; // "24", "32" or "40" of the bare "AF" reply
};

// What a looping test saw.
struct LoopSummary {
    int cycles = 0; // polls sent
    int misses = 0; // polls without an accepted reply, in all
    // The last state characters read of inputs 1, 2, 3, 4, 7 and 8; 0 where none was read.
    std::array<char, 6> inputs{};
    std::vector<std::string> records; // trailing records, as the status line shows them
};

struct Outcome {
    OutcomeKind kind = OutcomeKind::Ok;
    int port = 0;         // the port the operation used (the scan: where it found one)
    std::string lineMode; // and its line mode
    PortOpenFailure portFailure;
    ControllerInfo controller;
    std::string reply; // the free test command: the accepted reply frame, as received
    LoopSummary loop;

    bool ok() const { return kind == OutcomeKind::Ok; }
};

} // namespace vr
