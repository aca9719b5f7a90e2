#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/line_modes.h"

namespace vr::sim {

// Times are microseconds on whatever clock the caller keeps (virtual or steady); the model has no
// clock of its own and only ever looks at the times passed in.
using Micros = std::uint64_t;

// A calendar date and time of the controller's clock, as "yyyymmddhhnnss" gives it.
struct ClockTime {
    int year = 2005;
    int month = 3;
    int day = 1;
    int hour = 14;
    int minute = 5;
    int second = 9;

    // Parses 14 digits "yyyymmddhhnnss"; nothing for another shape or an impossible date.
    static std::optional<ClockTime> parse(std::string_view digits);
    std::string digits() const;
    // Seconds since 1970-01-01 00:00:00 (negative before it), and back.
    std::int64_t toSeconds() const;
    static ClockTime fromSeconds(std::int64_t seconds);
    friend bool operator==(const ClockTime &, const ClockTime &) = default;
};

// How the six digital inputs (numbered 1, 2, 3, 4, 7, 8) change over time.
struct InputPattern {
    enum class Kind {
        Walk,     // one input on at a time, moving on every `periodMs`
        Fixed,    // the states in `fixed`
        Loopback, // inputs 1 to 3 follow outputs 1 to 3 (a test jig wired back); 4, 7, 8 off
    };
    Kind kind = Kind::Walk;
    std::uint32_t periodMs = 1000;
    std::array<bool, 6> fixed{};

    // "walk", "walk:500", "fixed:101100" (inputs 1, 2, 3, 4, 7, 8), "loopback".
    static std::optional<InputPattern> parse(std::string_view text);
};

// One fault the controller can be told to show, selected by name with an argument.
struct Fault {
    enum class Kind {
        Drop,        // "drop=N": the next N requests go unheard (no effect, no reply); default 1
        BadCrc,      // "bad-crc": every reply carries wrong CRC digits
        LowerCrc,    // "lower-crc": CRC digits in lower case (status characters chosen so the
                     // digits always hold a letter)
        Noise,       // "noise=N": N bytes of noise before each reply's ETX; default 6
        Split,       // "split=MS": each reply stops halfway for MS ms; default 100
        Late,        // "late=MS": each reply starts MS ms later than usual; default 350
        ProbeLength, // "probe-length=19" or "=21": the status-probe reply has that length
        Flood,       // "flood=N": each reply is replaced by N bytes without a CR; default 1100
        HangUp,      // "hangup=N": the line is hung up when request N+1 arrives; default 0
    };
    Kind kind = Kind::Drop;
    int argument = 0;

    // Parses "KIND" or "KIND=ARG". Nothing for an unknown name or an argument out of range.
    static std::optional<Fault> parse(std::string_view text);
    static std::string_view name(Kind kind);
};

// The state of the controller as the program can see it through its commands.
struct ControllerState {
    std::string address = "001";
    std::string serial = "12345678";
    std::string firmware = "03.22-01";
    std::string cardWidth = "32"; // "24", "32" or "40"
    int cardType = 0;             // 0 to 2
    int lineModeIndex = kDefaultLineModeIndex;
    std::vector<std::string> cards;     // card numbers added with "HA", in order
    std::array<bool, 3> outputs{};      // outputs 1 to 3
    std::array<int, 6> inputDebounce{}; // set by "DB<n><ms>", inputs 1, 2, 3, 4, 7, 8
    int alarmKind = -1;                 // last "JF" argument, -1 before any
    bool testMode = false;              // "CG1" on, "CG0" off
};

struct ControllerOptions {
    ControllerState state;
    ClockTime clockStart;
    InputPattern inputs;
    std::uint32_t turnaroundMicros = 2000;
};

// The simulated controller: parses request frames byte by byte, acts on every command code the
// program sends and produces reply bytes with the times at which they are due on the line: after
// the turnaround, one byte per wire time of its line mode (10 or 11 bits a byte).
//
// It answers bodies addressed to "000" or to its own address and ignores anything else, frames
// with wrong CRC digits included. A command it does not know, or whose arguments are not valid
// (an "AD" whose serial number is not its own, say), goes unanswered and changes nothing.
class ControllerModel {
public:
    explicit ControllerModel(ControllerOptions options = {});

    // Bytes that reached the controller at `now` (all at once: the caller passes each write).
    void receive(const std::uint8_t *data, std::size_t count, Micros now);
    void receive(std::string_view bytes, Micros now) {
        receive(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(), now);
    }

    // The next reply byte, when it is due at or before `until`; consumes it.
    bool nextByte(Micros until, std::uint8_t &byte, Micros &due);
    // When the next reply byte is due, if one is waiting.
    std::optional<Micros> nextDue() const;
    // Forgets reply bytes not yet taken (the port was closed under them).
    void discardOutput() { output_.clear(); }

    // The line mode in force at `now`: an "AE" or "AI" switches it right after the last byte of
    // its reply is due, so that byte still goes out in the old mode. Until the next request
    // arrives, state().lineModeIndex still shows the mode before the switch.
    int lineModeIndex(Micros now) const;
    LineSettings lineSettings(Micros now) const;

    bool hungUp() const { return hungUp_; }
    void restoreLine() { hungUp_ = false; }

    // Faults: each added one stays in force until cleared ("drop" and "hangup" use themselves up).
    void addFault(const Fault &fault);
    void clearFaults() { faults_.clear(); }

    ClockTime clockAt(Micros now) const;
    void setClock(const ClockTime &time, Micros now);
    // Input states at `now`, in the order 1, 2, 3, 4, 7, 8.
    std::array<bool, 6> inputsAt(Micros now) const;
    void setInputPattern(const InputPattern &pattern) { inputs_ = pattern; }
    // Queues a trailing record: 20 characters of payload, shown after the clock and inputs of
    // the poll reply until "IB" drops it.
    void queueRecord(std::string record);

    const ControllerState &state() const { return state_; }
    ControllerState &state() { return state_; }
    const std::deque<std::string> &records() const { return records_; }
    // Bodies of the requests the controller heard (right CRC, its address), in order.
    const std::vector<std::string> &heard() const { return heard_; }

    // The trailing record of a card swipe: the card number right-aligned in 14 characters filled
    // with "0", reader "0001", event "01".
    static std::string swipeRecord(std::string_view card);

private:
    struct PendingByte {
        std::uint8_t byte;
        Micros due;
    };
    enum class ParseState { Idle, Body, Digits };

    void onFrame(const std::string &body, Micros now);
    std::optional<std::string> execute(std::string_view code, std::string_view args, Micros now);
    void sendReply(std::string_view data, bool isProbe, Micros now);
    void queueBytes(std::string_view bytes, Micros start, Micros pauseAfterHalf);
    void settle(Micros now);
    const Fault *fault(Fault::Kind kind) const;
    std::string statusFor(std::string_view data) const;

    ControllerState state_;
    std::int64_t clockSeconds_ = 0; // controller clock at clockSetAt_
    Micros clockSetAt_ = 0;
    InputPattern inputs_;
    std::uint32_t turnaroundMicros_;
    std::deque<std::string> records_;
    std::vector<Fault> faults_;
    std::deque<PendingByte> output_;
    Micros lineFreeAt_ = 0; // when the last queued byte is out
    std::optional<int> pendingLineMode_;
    Micros pendingLineModeAt_ = 0;
    std::optional<std::string> newAddress_; // set by the command being carried out
    std::optional<int> newLineMode_;
    bool hungUp_ = false;
    std::vector<std::string> heard_;

    ParseState parse_ = ParseState::Idle;
    std::string body_;
    std::string digits_;
};

} // namespace vr::sim
