#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "link/exchange_observer.h"

namespace vr {

// The trace of a run: one line for each port opened (or refused), each request, each reply and
// each close, with the milliseconds since the start of the run:
//
//       117 ms  COM3 open 19200,e,8,1
//       130 ms  -> <SOH>000AS<STX>11B7<CR>
//       150 ms  <- <ETX>001..12345678<EOT>8C3A<CR>  (ok)
//       463 ms  <-   (quiet after 301 ms)
//
// Control bytes and bytes above 0x7E are named: <SOH>, <CR>, <x8F>. Lines are formatted after
// the exchange has ended and written to a buffered stream, which is flushed at every close, at
// least once a second while exchanges go on, and at the end.
class ExchangeTrace : public ExchangeObserver {
public:
    // Writes to `out`, which the caller opened and closes after the trace has gone; `startMs`
    // is the platform clock at the start of the run.
    ExchangeTrace(std::FILE *out, std::uint32_t startMs);
    ~ExchangeTrace() override;
    ExchangeTrace(const ExchangeTrace &) = delete;
    ExchangeTrace &operator=(const ExchangeTrace &) = delete;

    // A line of the front end's own (what runs, and when), at `atMs`.
    void note(std::uint32_t atMs, std::string_view text);
    void flush();

    void portOpened(int port, std::string_view lineMode, std::uint32_t atMs,
                    const PortOpenFailure *failure) override;
    void exchanged(const ExchangeRecord &exchange) override;
    void portClosed(int port, std::uint32_t atMs) override;

    // The bytes with control bytes and bytes above 0x7E named, and "<" written <x3C> so that
    // a name never reads as a byte.
    static std::string NamedBytes(std::string_view bytes);
    // How the exchange ended: "ok", "wrong CRC", "malformed frame", "quiet after 301 ms",
    // "1024 bytes", "port closed".
    static std::string EndText(const ExchangeRecord &exchange);

private:
    void line(std::uint32_t atMs, std::string_view text);

    std::FILE *out_;
    std::uint32_t startMs_;
    std::uint32_t lastFlushMs_;
};

// The words for why a port did not open: "absent", "permission denied", "busy", "error".
const char *PortProblemText(PortProblem problem);

} // namespace vr
