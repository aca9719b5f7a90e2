#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vr {

inline constexpr std::uint8_t SOH = 0x01;
inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;
inline constexpr std::uint8_t EOT = 0x04;
inline constexpr std::uint8_t CR = 0x0D;

// CRC-16/ARC (reflected polynomial 0xA001, start 0, no final xor) from the start value 0.
std::uint16_t FrameCrc(const std::uint8_t *data, std::size_t count);
inline std::uint16_t FrameCrc(std::string_view bytes) {
    return FrameCrc(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
}

// Two upper-case hexadecimal digits, high nibble first: 0x0A -> "0A".
std::array<char, 2> HexByte(std::uint8_t value);

// The four CRC digits of a CRC value as they go on the line, high byte first.
std::string CrcDigits(std::uint16_t crc);

// FrameCrc of SOH, the body and STX. The body length is taken as an 8-bit count, so only its
// first (length mod 256) bytes count; callers never pass a longer body than 255 bytes.
std::uint16_t RequestCrc(std::string_view body);

// The whole request frame: SOH, body, STX, four CRC digits, CR. The body length is taken as an
// 8-bit count, as for RequestCrc.
std::string RequestFrame(std::string_view body);

// The bytes a request frame adds to its body: SOH, STX, four CRC digits, CR.
inline constexpr std::size_t kRequestFrameOverhead = 7;

// True when the four bytes after the first EOT are exactly the upper-case CRC digits of the
// bytes from the start (the ETX) through that EOT.
bool ReplyCrcOk(const std::uint8_t *reply, std::size_t count);
inline bool ReplyCrcOk(std::string_view reply) {
    return ReplyCrcOk(reinterpret_cast<const std::uint8_t *>(reply.data()), reply.size());
}

// A well-formed reply frame around a payload: ETX, payload, EOT, CRC digits, CR. Used by the
// simulated controller and by tests.
std::string ReplyFrame(std::string_view payload);

} // namespace vr
