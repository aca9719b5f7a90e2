#include "link/exchange_trace.h"

#include <array>

namespace vr {
namespace {

constexpr std::uint32_t kFlushIntervalMs = 1000;

// The ASCII names of the control bytes 0x00 to 0x1F.
constexpr std::array<const char *, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

} // namespace

const char *PortProblemText(PortProblem problem) {
    switch (problem) {
    case PortProblem::Absent:
        return "absent";
    case PortProblem::Permission:
        return "permission denied";
    case PortProblem::Busy:
        return "busy";
    case PortProblem::Other:
        break;
    }
    return "error";
}

ExchangeTrace::ExchangeTrace(std::FILE *out, std::uint32_t startMs)
    : out_(out), startMs_(startMs), lastFlushMs_(startMs) {
}

ExchangeTrace::~ExchangeTrace() {
    flush();
}

void ExchangeTrace::flush() {
    std::fflush(out_);
}

std::string ExchangeTrace::NamedBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kControlNames.size()) {
            text += '<';
            text += kControlNames[byte];
            text += '>';
        } else if (byte == 0x7F) {
            text += "<DEL>";
        } else if (byte > 0x7F || byte == '<') {
            text += "<x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0F];
            text += '>';
        } else {
            text += c;
        }
    }
    return text;
}

std::string ExchangeTrace::EndText(const ExchangeRecord &exchange) {
    switch (exchange.end) {
    case ExchangeEnd::Accepted:
        return "ok";
    case ExchangeEnd::WrongCrc:
        return "wrong CRC";
    case ExchangeEnd::Malformed:
        return "malformed frame";
    case ExchangeEnd::Quiet:
        return "quiet after " + std::to_string(exchange.waitedMs) + " ms";
    case ExchangeEnd::Overflow:
        return "1024 bytes";
    case ExchangeEnd::PortClosed:
        break;
    }
    return "port closed";
}

void ExchangeTrace::line(std::uint32_t atMs, std::string_view text) {
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%9lu ms  ", static_cast<unsigned long>(atMs - startMs_));
    std::string whole(stamp);
    whole.append(text);
    whole += '\n';
    std::fwrite(whole.data(), 1, whole.size(), out_);
}

void ExchangeTrace::note(std::uint32_t atMs, std::string_view text) {
    line(atMs, text);
}

void ExchangeTrace::portOpened(int port, std::string_view lineMode, std::uint32_t atMs,
                               const PortOpenFailure *failure) {
    std::string text = "COM" + std::to_string(port) + " ";
    if (failure == nullptr) {
        text += "open ";
        text.append(lineMode);
    } else {
        text += "did not open (";
        text.append(lineMode);
        text += "): ";
        text += PortProblemText(failure->problem);
        if (!failure->device.empty())
            text += ", " + failure->device;
        if (!failure->detail.empty())
            text += ", " + failure->detail;
    }
    line(atMs, text);
}

void ExchangeTrace::exchanged(const ExchangeRecord &exchange) {
    line(exchange.requestMs, "-> " + NamedBytes(exchange.request));
    std::string reply = "<- " + NamedBytes(exchange.received);
    if (exchange.receivedCut)
        reply +=
            " ... (only the first " + std::to_string(exchange.received.size()) + " bytes shown)";
    reply += "  (" + EndText(exchange) + ")";
    line(exchange.endMs, reply);
    if (exchange.endMs - lastFlushMs_ >= kFlushIntervalMs) {
        flush();
        lastFlushMs_ = exchange.endMs;
    }
}

void ExchangeTrace::portClosed(int port, std::uint32_t atMs) {
    line(atMs, "COM" + std::to_string(port) + " closed");
    flush();
    lastFlushMs_ = atMs;
}

} // namespace vr
