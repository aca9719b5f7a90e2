#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "link/exchange_observer.h"
#include "platform/platform.h"

namespace vr {

// The one module that touches the serial port: opens a port by number in a line mode, sends one
// command body as a request frame, collects and judges the reply frame, closes the port.
// Failures are results: every call returns false and leaves ReplyLength and LastReply as the
// outcome table of the exchange says; nothing throws.
class ControllerLink {
public:
    static constexpr std::uint32_t kReplyLimitMs = 300;
    static constexpr std::size_t kReceiveBufferSize = 1024;

    explicit ControllerLink(Platform &platform);
    ~ControllerLink();
    ControllerLink(const ControllerLink &) = delete;
    ControllerLink &operator=(const ControllerLink &) = delete;

    // Opens port `portNumber` in `lineMode`. False when the device cannot be opened, and also
    // while a port is already open: the open port is left untouched.
    bool CommOpen(int portNumber, const std::string &lineMode);

    // Closes the open port; does nothing when none is open.
    void CommClose();

    bool isOpen() const { return port_ != nullptr; }

    // Why the last CommOpen that returned false did not open the port.
    const PortOpenFailure &LastOpenFailure() const { return openFailure_; }

    // Writes the request frame of `body` in eight paced writes and waits for the reply.
    // Returns true when a well-formed reply with correct CRC digits arrived.
    bool SendCommand(std::string_view body);

    // The last reply frame that reached the CRC check, from its ETX through its CR, cut at the
    // first zero byte.
    const std::string &LastReply() const { return lastReply_; }

    // Bytes stored for the current reply frame, ETX and CR included (20 for a probe reply).
    int ReplyLength() const { return replyLength_; }

    // Reads and drops the bytes that have already arrived on the open port, until a read finds
    // the line quiet (or a receive buffer's worth has gone). SendCommand never empties the
    // input itself; a caller that holds the port across many exchanges uses this after a
    // failed one, so that a reply which came in too late is not taken as the next reply.
    void DiscardInput();

    // Tells `observer` (none: nobody) of every open, exchange and close from now on. The
    // observer must outlive the link or be replaced first.
    void setObserver(ExchangeObserver *observer);

private:
    void writeByte(std::uint8_t byte);
    void writeBlock(const std::uint8_t *data, std::size_t count);
    ExchangeEnd receiveReply(std::uint32_t start);
    void report(std::string_view request, std::uint32_t requestMs, std::uint32_t waitStart,
                ExchangeEnd end);

    Platform &platform_;
    std::unique_ptr<SerialPort> port_;
    std::array<std::uint8_t, kReceiveBufferSize> receiveBuffer_{};
    int replyLength_ = 0;
    std::string lastReply_;
    PortOpenFailure openFailure_;
    int openPort_ = 0;
    ExchangeObserver *observer_ = nullptr;
    std::string received_; // every byte of the current wait, kept only for an observer
    bool receivedCut_ = false;
};

} // namespace vr
