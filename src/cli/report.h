#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/json_line.h"
#include "link/exchange_observer.h"
#include "operations/operation_outcome.h"

namespace vr::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitLineFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPortNotOpened = 3;
inline constexpr int kExitNotFound = 4;
inline constexpr int kExitInterrupted = 130;

// Watches the link for the report, and passes everything on to the trace when there is one:
// how the last exchange ended tells "no reply" from "bad reply".
class ExchangeWatch : public ExchangeObserver {
public:
    explicit ExchangeWatch(ExchangeObserver *trace = nullptr) : trace_(trace) {}
    void setTrace(ExchangeObserver *trace) { trace_ = trace; }

    // The last exchange: whether its reply was accepted, whether the controller said nothing
    // at all (or no port was open for it), and how it ended in the trace's words.
    bool lastAccepted() const { return lastAccepted_; }
    bool lastSilent() const { return lastSilent_; }
    const std::string &lastEndText() const { return lastEndText_; }

    void portOpened(int port, std::string_view lineMode, std::uint32_t atMs,
                    const PortOpenFailure *failure) override;
    void exchanged(const ExchangeRecord &exchange) override;
    void portClosed(int port, std::uint32_t atMs) override;

private:
    ExchangeObserver *trace_;
    bool lastAccepted_ = false;
    bool lastSilent_ = false;
    std::string lastEndText_;
};

// The exit code of an outcome and, for a failure, its stable error word.
struct Verdict {
    int exitCode = kExitOk;
    std::string error; // empty on success
};
Verdict Judge(const Outcome &outcome, const ExchangeWatch &watch, bool interrupted);

// The word for a port that did not open: port-absent, port-permission, port-busy, port-error.
const char *PortErrorWord(PortProblem problem);

// "20050301140509" -> "2005-03-01T14:05:09"; empty for anything that is not such a time.
std::string IsoClock(std::string_view digits);

// The fields of a finished command that every line has (ok, operation, port, mode, address)
// and the data it read; the caller adds the error fields of a failure.
JsonLine OutcomeJson(const Invocation &invocation, const Outcome &outcome, bool ok);

// The data of a finished command as "key value" lines for a person.
std::vector<std::string> OutcomeLines(const Invocation &invocation, const Outcome &outcome);

} // namespace vr::cli
