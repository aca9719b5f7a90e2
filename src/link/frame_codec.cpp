#include "link/frame_codec.h"

namespace vr {
namespace {

// The CRC-16/ARC table split into its high and low bytes: T[i] is the register after eight
// right-shifting steps of i with 0xA001.
struct CrcTables {
    std::array<std::uint8_t, 256> high{};
    std::array<std::uint8_t, 256> low{};
};

constexpr CrcTables makeTables() {
    CrcTables tables;
    for (unsigned i = 0; i < 256; ++i) {
        unsigned value = i;
        for (int step = 0; step < 8; ++step)
            value = (value & 1u) ? (value >> 1) ^ 0xA001u : value >> 1;
        tables.high[i] = static_cast<std::uint8_t>(value >> 8);
        tables.low[i] = static_cast<std::uint8_t>(value & 0xFFu);
    }
    return tables;
}

constexpr CrcTables kTables = makeTables();
static_assert(kTables.high[1] == 0xC0 && kTables.low[1] == 0xC1);
static_assert(kTables.high[128] == 0xA0 && kTables.low[128] == 0x01);
static_assert(kTables.high[255] == 0x40 && kTables.low[255] == 0x40);

class RunningCrc {
public:
    void feed(std::uint8_t byte) {
        const std::uint8_t index = low_ ^ byte;
        low_ = kTables.low[index] ^ high_;
        high_ = kTables.high[index];
    }
    std::uint8_t high() const { return high_; }
    std::uint8_t low() const { return low_; }
    std::uint16_t value() const { return static_cast<std::uint16_t>(high_ << 8 | low_); }

private:
    std::uint8_t high_ = 0;
    std::uint8_t low_ = 0;
};

} // namespace

std::uint16_t FrameCrc(const std::uint8_t *data, std::size_t count) {
    RunningCrc crc;
    for (std::size_t i = 0; i < count; ++i)
        crc.feed(data[i]);
    return crc.value();
}

std::array<char, 2> HexByte(std::uint8_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string CrcDigits(std::uint16_t crc) {
    const auto high = HexByte(static_cast<std::uint8_t>(crc >> 8));
    const auto low = HexByte(static_cast<std::uint8_t>(crc & 0xFF));
    return {high[0], high[1], low[0], low[1]};
}

std::uint16_t RequestCrc(std::string_view body) {
    const std::size_t length = body.size() & 0xFF;
    RunningCrc crc;
    crc.feed(SOH);
    for (std::size_t i = 0; i < length; ++i)
        crc.feed(static_cast<std::uint8_t>(body[i]));
    crc.feed(STX);
    return crc.value();
}

std::string RequestFrame(std::string_view body) {
    std::string frame;
    frame.reserve(body.size() + 7);
    frame += static_cast<char>(SOH);
    frame.append(body.substr(0, body.size() & 0xFF));
    frame += static_cast<char>(STX);
    frame += CrcDigits(RequestCrc(body));
    frame += static_cast<char>(CR);
    return frame;
}

bool ReplyCrcOk(const std::uint8_t *reply, std::size_t count) {
    RunningCrc crc;
    std::size_t position = 0;
    for (;; ++position) {
        if (position >= count)
            return false; // no EOT
        crc.feed(reply[position]);
        if (reply[position] == EOT)
            break;
    }
    const std::size_t digits = position + 1;
    if (count < digits + 4)
        return false;
    const auto high = HexByte(crc.high());
    const auto low = HexByte(crc.low());
    return reply[digits] == static_cast<std::uint8_t>(high[0]) &&
           reply[digits + 1] == static_cast<std::uint8_t>(high[1]) &&
           reply[digits + 2] == static_cast<std::uint8_t>(low[0]) &&
           reply[digits + 3] == static_cast<std::uint8_t>(low[1]);
}

std::string ReplyFrame(std::string_view payload) {
    std::string frame;
    frame += static_cast<char>(ETX);
    frame.append(payload);
    frame += static_cast<char>(EOT);
    frame += CrcDigits(FrameCrc(frame));
    frame += static_cast<char>(CR);
    return frame;
}

} // namespace vr
