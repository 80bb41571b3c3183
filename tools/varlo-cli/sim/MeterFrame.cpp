#include "sim/MeterFrame.h"

#include "common/Hex.h"

namespace varlo::sim {

std::array<std::uint8_t, 12> Nibbles(const MeterFrame& s) {
    std::array<std::uint8_t, 12> n{};
    n[0] = s.range & 0x0F;
    for (int i = 0; i < 5; ++i) n[1 + i] = s.digits[i] & 0x0F;
    n[6] = s.function & 0x0F;
    n[7] = static_cast<std::uint8_t>((s.duty ? 8 : 0) | (s.minus ? 4 : 0) | (s.battery ? 2 : 0) |
                                     (s.overload ? 1 : 0));
    n[8] = s.rel ? 2 : 0;
    n[9] = s.dutyOverload ? 8 : 0;
    n[10] = s.option3 & 0x0F;
    n[11] = s.hold ? 2 : 0;
    return n;
}

Bytes FrameBytes(const MeterFrame& frame) {
    Bytes bytes;
    bytes.reserve(14);
    for (std::uint8_t nibble : Nibbles(frame))
        bytes.push_back(static_cast<std::uint8_t>(0x30 + nibble));
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    return bytes;
}

std::string FrameText(const MeterFrame& frame) {
    std::string text = "A";
    for (std::uint8_t nibble : Nibbles(frame)) text += HexDigit(nibble);
    text += "D";
    return text;
}

std::array<std::uint8_t, 5> Digits(unsigned value) {
    std::array<std::uint8_t, 5> d{};
    for (int i = 4; i >= 0; --i) {
        d[i] = static_cast<std::uint8_t>(value % 10);
        value /= 10;
    }
    return d;
}

}  // namespace varlo::sim
