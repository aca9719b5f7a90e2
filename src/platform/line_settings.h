#pragma once

namespace vr {

enum class Parity { None, Even };

// How a serial line carries its bytes: speed, parity, data bits and stop bits. No flow control.
struct LineSettings {
    int baudRate = 19200;
    Parity parity = Parity::Even;
    int dataBits = 8;
    int stopBits = 1;

    // Bits on the wire per byte: start bit, data bits, parity bit if any, stop bits.
    int bitsPerByte() const { return 1 + dataBits + (parity == Parity::Even ? 1 : 0) + stopBits; }
    friend bool operator==(const LineSettings &, const LineSettings &) = default;
};

} // namespace vr
