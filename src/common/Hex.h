#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

namespace varlo {

// Hexadecimal text as the program writes it: two upper-case digits a byte
// ("0D", "F1"). Reading takes either case.

inline char HexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0xF];
}

// Appends the byte's two upper-case digits.
inline void AppendHexByte(std::string& out, unsigned byte) {
    out.push_back(HexDigit(byte >> 4));
    out.push_back(HexDigit(byte));
}

// The value of one hexadecimal digit of either case; -1 for anything else.
inline int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte written as exactly two hexadecimal digits; -1 for anything else.
inline int HexByteValue(std::string_view text) {
    if (text.size() != 2) return -1;
    const int high = HexValue(text[0]);
    const int low = HexValue(text[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// The whole text as a hexadecimal number that fits `out`; false for an empty
// text, a sign, any other character or an overflow.
template <class T>
bool ParseHexNumber(std::string_view text, T& out) {
    if (text.empty() || HexValue(text.front()) < 0) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace varlo
