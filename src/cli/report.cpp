#include "cli/report.h"

#include <QDateTime>

#include "link/exchange_trace.h"

namespace vr::cli {

namespace {

// The controller inputs behind the six input states, in their order.
constexpr const char *kInputNames[] = {"1", "2", "3", "4", "7", "8"};

bool ReadsInputs(Command command) {
    return command == Command::AutoTest || command == Command::DidoTest;
}

std::string KeyLine(const char *key, const std::string &value) {
    std::string line = key;
    line.append(line.size() < 9 ? 9 - line.size() : 1, ' ');
    return line + value;
}

} // namespace

void ExchangeWatch::portOpened(int port, std::string_view lineMode, std::uint32_t atMs,
                               const PortOpenFailure *failure) {
    if (trace_ != nullptr)
        trace_->portOpened(port, lineMode, atMs, failure);
}

void ExchangeWatch::exchanged(const ExchangeRecord &exchange) {
    lastAccepted_ = exchange.end == ExchangeEnd::Accepted;
    lastSilent_ = exchange.received.empty() &&
                  (exchange.end == ExchangeEnd::Quiet || exchange.end == ExchangeEnd::PortClosed);
    lastEndText_ = ExchangeTrace::EndText(exchange);
    if (trace_ != nullptr)
        trace_->exchanged(exchange);
}

void ExchangeWatch::portClosed(int port, std::uint32_t atMs) {
    if (trace_ != nullptr)
        trace_->portClosed(port, atMs);
}

const char *PortErrorWord(PortProblem problem) {
    switch (problem) {
    case PortProblem::Absent:
        return "port-absent";
    case PortProblem::Permission:
        return "port-permission";
    case PortProblem::Busy:
        return "port-busy";
    case PortProblem::Other:
        break;
    }
    return "port-error";
}

Verdict Judge(const Outcome &outcome, const ExchangeWatch &watch, bool interrupted) {
    if (interrupted || outcome.kind == OutcomeKind::Cancelled)
        return {kExitInterrupted, "interrupted"};
    switch (outcome.kind) {
    case OutcomeKind::Ok:
        return {kExitOk, {}};
    case OutcomeKind::ExchangeFailed:
        // A failure whose last reply was accepted had a probe reply of the wrong length: a
        // reply, but a bad one. After a looping test the last exchange is a closing command,
        // which meets the controller as the polls before it did.
        return {kExitLineFailed,
                !watch.lastAccepted() && watch.lastSilent() ? "no-reply" : "bad-reply"};
    case OutcomeKind::NotFound:
        return {kExitNotFound, "not-found"};
    case OutcomeKind::PortNotOpened:
        return {kExitPortNotOpened, PortErrorWord(outcome.portFailure.problem)};
    case OutcomeKind::InputRefused:
        return {kExitUsage, "usage"};
    case OutcomeKind::Cancelled:
        break;
    }
    return {kExitInterrupted, "interrupted"};
}

std::string IsoClock(std::string_view digits) {
    const QDateTime time = QDateTime::fromString(
        QString::fromLatin1(digits.data(), static_cast<qsizetype>(digits.size())),
        QStringLiteral("yyyyMMddHHmmss"));
    if (digits.size() != 14 || !time.isValid())
        return {};
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString();
}

JsonLine OutcomeJson(const Invocation &invocation, const Outcome &outcome, bool ok) {
    JsonLine line;
    line.boolean("ok", ok).text("operation", invocation.commandName);
    if (outcome.port > 0)
        line.number("port", outcome.port);
    else
        line.null("port");
    if (outcome.lineMode.empty())
        line.null("mode");
    else
        line.text("mode", outcome.lineMode);
    const ControllerInfo &controller = outcome.controller;
    line.bytesOrNull("address", controller.address);
    line.bytesOrNull("serial", controller.serial);

    switch (invocation.command) {
    case Command::Scan: {
        line.bytesOrNull("version", controller.version);
        const std::string clock = IsoClock(controller.clock);
        if (clock.empty())
            line.bytesOrNull("clock", controller.clock);
        else
            line.text("clock", clock);
        if (controller.cardWidth.empty())
            line.null("width");
        else
            line.number("width", std::stoll(controller.cardWidth));
        break;
    }
    case Command::TestCommand:
        line.bytesOrNull("reply", outcome.reply);
        break;
    case Command::AutoTest:
    case Command::DidoTest: {
        const LoopSummary &loop = outcome.loop;
        line.number("cycles", loop.cycles).number("misses", loop.misses);
        JsonLine inputs;
        for (std::size_t i = 0; i < loop.inputs.size(); ++i) {
            if (loop.inputs[i] == 0)
                inputs.null(kInputNames[i]);
            else
                inputs.bytes(kInputNames[i], std::string(1, loop.inputs[i]));
        }
        line.object("inputs", inputs);
        line.byteList("records", loop.records);
        const std::string clock = IsoClock(controller.clock);
        if (clock.empty())
            line.bytesOrNull("clock", controller.clock);
        else
            line.text("clock", clock);
        break;
    }
    default:
        break;
    }
    return line;
}

std::vector<std::string> OutcomeLines(const Invocation &invocation, const Outcome &outcome) {
    std::vector<std::string> lines;
    const ControllerInfo &controller = outcome.controller;
    const auto named = [](const std::string &bytes) { return ExchangeTrace::NamedBytes(bytes); };
    if (outcome.port > 0)
        lines.push_back(KeyLine("port", "COM" + std::to_string(outcome.port)));
    if (!outcome.lineMode.empty())
        lines.push_back(KeyLine("mode", outcome.lineMode));
    if (!controller.address.empty())
        lines.push_back(KeyLine("address", named(controller.address)));
    if (!controller.serial.empty())
        lines.push_back(KeyLine("serial", named(controller.serial)));
    if (!controller.version.empty())
        lines.push_back(KeyLine("version", named(controller.version)));
    if (!controller.clock.empty()) {
        const std::string clock = IsoClock(controller.clock);
        lines.push_back(KeyLine("clock", clock.empty() ? named(controller.clock) : clock));
    }
    if (!controller.cardWidth.empty())
        lines.push_back(KeyLine("width", controller.cardWidth));
    if (invocation.command == Command::TestCommand && !outcome.reply.empty())
        lines.push_back(KeyLine("reply", named(outcome.reply)));
    if (ReadsInputs(invocation.command)) {
        const LoopSummary &loop = outcome.loop;
        lines.push_back(KeyLine("cycles", std::to_string(loop.cycles)));
        lines.push_back(KeyLine("misses", std::to_string(loop.misses)));
        std::string inputs;
        for (std::size_t i = 0; i < loop.inputs.size(); ++i) {
            inputs += std::string(i ? " " : "") + kInputNames[i] + ":";
            inputs +=
                loop.inputs[i] == 0 ? std::string("-") : named(std::string(1, loop.inputs[i]));
        }
        lines.push_back(KeyLine("inputs", inputs));
        for (const std::string &record : loop.records)
            lines.push_back(KeyLine("record", named(record)));
    }
    return lines;
}

} // namespace vr::cli
