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
        openFailure_ = {PortProblem::Busy, {}, "a port is already open"};
        return false;
    }
    openFailure_ = {};
    // A mode text of another shape leaves the device's own settings, as a failure to apply
    // them would.
    port_ = platform_.openSerial(portNumber, ParseLineMode(lineMode), openFailure_);
    return port_ != nullptr;
}

void ControllerLink::CommClose() {
    // Destroying the port puts back its saved settings and closes it.
    port_.reset();
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
    if (!port_)
        return false;

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
    std::size_t etxPosition = 0;
    std::size_t eotPosition = 0;
    std::size_t stored = 0;
    for (;;) {
        // A handler run by the pump must not close the port, but if one did, the exchange
        // ends as a time-out would rather than touch a port that is gone.
        if (!port_)
            return false;
        std::uint8_t byte = 0;
        if (port_->readByte(byte)) {
            if (byte == ETX)
                stored = 0; // the frame starts again at this ETX
            receiveBuffer_[stored++] = byte;
            replyLength_ = static_cast<int>(stored);
            if (stored == kReceiveBufferSize) {
                replyLength_ = 0;
                return false;
            }
            if (byte == ETX)
                etxPosition = stored;
            if (byte == EOT)
                eotPosition = stored; // a later ETX does not clear it
            if (byte == CR) {
                if (etxPosition == 0 || eotPosition == 0 ||
                    eotPosition <= etxPosition + kMinimumEotDistance)
                    return false;
                const auto *begin = receiveBuffer_.data();
                lastReply_.assign(begin, std::find(begin, begin + stored, std::uint8_t{0}));
                return ReplyCrcOk(receiveBuffer_.data(), stored);
            }
            continue;
        }
        platform_.pumpEvents();
        const std::uint32_t passed = platform_.milliseconds() - start;
        if (passed > kReplyLimitMs)
            return false;
    }
}

} // namespace vr
