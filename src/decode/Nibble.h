#pragma once

#include <string>

namespace varlo {

// Value of one upper-case hexadecimal character, -1 for anything else.
inline int NibbleValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

inline char HexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0xF];
}

// Two upper-case hexadecimal digits.
inline void AppendHexByte(std::string& out, unsigned byte) {
    out.push_back(HexDigit(byte >> 4));
    out.push_back(HexDigit(byte));
}

}  // namespace varlo
