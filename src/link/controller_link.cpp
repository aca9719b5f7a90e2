#include "link/controller_link.h"

#include <algorithm>

#include "link/frame_codec.h"
#include "link/line_modes.h"

namespace vr {
namespace {

constexpr std::uint32_t kPauseAfterByteMs = 1;
constexpr std::uint32_t kPauseAfterBlockMs = 5;
// An EOT closer than this to the ETX leaves fewer than four payload bytes between them.
constexpr std::size_t kMinimumEotDistance = 4;

} // namespace

ControllerLink::ControllerLink(Platform &platform) : platform_(platform) {
}

ControllerLink::~ControllerLink() = default;

bool ControllerLink::CommOpen(int portNumber, const std::string &lineMode) {
    // One port at a time: a second open (a button left enabled while a looping test holds the
    // port) is refused and the open port stays as it is.
    if (port_) {
        const PortOpenFailure refused{PortProblem::Busy, {}, "a port is already open"};
        if (observer_)
            observer_->portOpened(portNumber, lineMode, platform_.milliseconds(), &refused);
        openFailure_ = refused;
        return false;
    }
    openFailure_ = {};
    // A mode text of another shape leaves the device's own settings, as a failure to apply
    // them would.
    port_ = platform_.openSerial(portNumber, ParseLineMode(lineMode), openFailure_);
    if (port_)
        openPort_ = portNumber;
    if (observer_)
        observer_->portOpened(portNumber, lineMode, platform_.milliseconds(),
                              port_ ? nullptr : &openFailure_);
    return port_ != nullptr;
}

void ControllerLink::CommClose() {
    // Destroying the port puts back its saved settings and closes it.
    const bool wasOpen = port_ != nullptr;
    port_.reset();
    if (wasOpen && observer_)
        observer_->portClosed(openPort_, platform_.milliseconds());
}

void ControllerLink::setObserver(ExchangeObserver *observer) {
    observer_ = observer;
    if (observer_)
        received_.reserve(ExchangeObserver::kReceivedKept);
}

void ControllerLink::writeByte(std::uint8_t byte) {
    port_->write(&byte, 1);
    platform_.sleep(kPauseAfterByteMs);
}

void ControllerLink::writeBlock(const std::uint8_t *data, std::size_t count) {
    port_->write(data, count);
    platform_.sleep(kPauseAfterBlockMs);
}

void ControllerLink::DiscardInput() {
    std::uint8_t byte = 0;
    for (std::size_t count = 0; port_ && count < kReceiveBufferSize && port_->readByte(byte);
         ++count) {
    }
}

bool ControllerLink::SendCommand(std::string_view body) {
    receiveBuffer_.fill(0);
    replyLength_ = 0;
    received_.clear();
    receivedCut_ = false;
    if (!port_) {
        if (observer_) {
            const std::uint32_t now = platform_.milliseconds();
            report(RequestFrame(body), now, now, ExchangeEnd::PortClosed);
        }
        return false;
    }

    // The clock is read before the writes only for an observer: the first reading of a plain
    // exchange is the start of its reply wait.
    const std::uint32_t requestMs = observer_ ? platform_.milliseconds() : 0;
    // Eight paced writes: SOH, the body in one block, STX, each of the four CRC digits, CR.
    const std::string frame = RequestFrame(body);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(frame.data());
    const std::size_t bodyLength = frame.size() - kRequestFrameOverhead;
    writeByte(bytes[0]);
    writeBlock(bytes + 1, bodyLength);
    for (std::size_t i = 1 + bodyLength; i < frame.size(); ++i)
        writeByte(bytes[i]);

    replyLength_ = 0;
    const std::uint32_t start = platform_.milliseconds();
    const ExchangeEnd end = receiveReply(start);
    if (observer_)
        report(RequestFrame(body), requestMs, start, end); // built after the exchange
    return end == ExchangeEnd::Accepted;
}

ExchangeEnd ControllerLink::receiveReply(std::uint32_t start) {
    std::size_t etxPosition = 0;
    std::size_t eotPosition = 0;
    std::size_t stored = 0;
    for (;;) {
        // A handler run by the pump must not close the port, but if one did, the exchange
        // ends as a time-out would rather than touch a port that is gone.
        if (!port_)
            return ExchangeEnd::PortClosed;
        std::uint8_t byte = 0;
        if (port_->readByte(byte)) {
            if (observer_) {
                if (received_.size() < ExchangeObserver::kReceivedKept)
                    received_ += static_cast<char>(byte);
                else
                    receivedCut_ = true;
            }
            if (byte == ETX)
                stored = 0; // the frame starts again at this ETX
            receiveBuffer_[stored++] = byte;
            replyLength_ = static_cast<int>(stored);
            if (stored == kReceiveBufferSize) {
                replyLength_ = 0;
                return ExchangeEnd::Overflow;
            }
            if (byte == ETX)
                etxPosition = stored;
            if (byte == EOT)
                eotPosition = stored; // a later ETX does not clear it
            if (byte == CR) {
                if (etxPosition == 0 || eotPosition == 0 ||
                    eotPosition <= etxPosition + kMinimumEotDistance)
                    return ExchangeEnd::Malformed;
                const auto *begin = receiveBuffer_.data();
                lastReply_.assign(begin, std::find(begin, begin + stored, std::uint8_t{0}));
                return ReplyCrcOk(receiveBuffer_.data(), stored) ? ExchangeEnd::Accepted
                                                                 : ExchangeEnd::WrongCrc;
            }
            continue;
        }
        platform_.pumpEvents();
        const std::uint32_t passed = platform_.milliseconds() - start;
        if (passed > kReplyLimitMs)
            return ExchangeEnd::Quiet;
    }
}

void ControllerLink::report(std::string_view request, std::uint32_t requestMs,
                            std::uint32_t waitStart, ExchangeEnd end) {
    ExchangeRecord record;
    record.requestMs = requestMs;
    record.endMs = platform_.milliseconds();
    record.waitedMs = record.endMs - waitStart;
    record.request = request;
    record.received = received_;
    record.receivedCut = receivedCut_;
    record.end = end;
    observer_->exchanged(record);
}

} // namespace vr
