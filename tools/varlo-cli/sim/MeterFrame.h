#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace varlo::sim {

using Bytes = std::vector<std::uint8_t>;

// Option 3 codes: the coupling and range annunciators the meter sends.
constexpr std::uint8_t kOptDC = 8;
constexpr std::uint8_t kOptAC = 4;
constexpr std::uint8_t kOptAuto = 2;

// What one frame of the meter says, field by field.
struct MeterFrame {
    std::uint8_t function = 11;  // function code
    std::uint8_t range = 0;      // range code
    std::array<std::uint8_t, 5> digits{};
    bool duty = false;      // duty cycle shown in place of the quantity
    bool minus = false;     // minus sign
    bool battery = false;   // low battery
    bool overload = false;  // "0L"
    bool rel = false;       // relative reading
    bool dutyOverload = false;
    std::uint8_t option3 = kOptDC | kOptAuto;  // coupling and AUTO, or a special code
    bool hold = false;
};

// The 12 data nibbles: range, digits 1-5, function, status, options 1-4.
std::array<std::uint8_t, 12> Nibbles(const MeterFrame& frame);

// The 14 bytes on the wire: 0x30 + each nibble, CR, LF.
Bytes FrameBytes(const MeterFrame& frame);

// The frame text the receiver forms from a clean stream: "A", the twelve
// nibbles in upper-case hexadecimal, "D".
std::string FrameText(const MeterFrame& frame);

// The five digits of a number 0..99999, most significant first.
std::array<std::uint8_t, 5> Digits(unsigned value);

}  // namespace varlo::sim
