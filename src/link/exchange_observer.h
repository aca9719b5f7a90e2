#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace vr {

// How a command exchange ended.
enum class ExchangeEnd {
    Accepted,   // a well-formed reply with the right CRC digits
    WrongCrc,   // a well-formed reply whose CRC digits are wrong
    Malformed,  // a CR without an ETX before it, or an EOT missing or too close to the ETX
    Quiet,      // the line was quiet at a moment after the reply limit
    Overflow,   // 1024 bytes were stored without a complete frame
    PortClosed, // no port was open, or it went away during the wait
};

// One exchange as the link saw it. The views are valid only during the call that gets them.
struct ExchangeRecord {
    std::uint32_t requestMs = 0; // platform clock when the request's first byte was written
    std::uint32_t endMs = 0;     // platform clock when the exchange ended
    std::uint32_t waitedMs = 0;  // from the end of the paced writes to the end of the exchange
    std::string_view request;    // the whole request frame
    std::string_view received;   // every byte read during the wait, including any dropped
                                 // before an ETX (at most kReceivedKept of them)
    bool receivedCut = false;    // more bytes came than `received` keeps
    ExchangeEnd end = ExchangeEnd::Quiet;
};

// Watches the link from the side: told of every port opened or refused, every exchange once it
// has ended, and every close. The link calls it only after the exchange has ended, so an
// observer never changes the timing of the exchange itself; it must not call the link back.
class ExchangeObserver {
public:
    static constexpr std::size_t kReceivedKept = 4096;

    virtual ~ExchangeObserver() = default;

    // `failure` is null when the port opened.
    virtual void portOpened(int port, std::string_view lineMode, std::uint32_t atMs,
                            const PortOpenFailure *failure) = 0;
    virtual void exchanged(const ExchangeRecord &exchange) = 0;
    virtual void portClosed(int port, std::uint32_t atMs) = 0;
};

} // namespace vr
