#include "recording/Cp1252.h"

#include <array>
#include <cstdint>

#include "common/Utf8.h"

namespace varlo {

namespace {

// Code points of the bytes 0x80 to 0x9F; the undefined ones map to the C1
// control of the same number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The byte for a code point, or -1 when the code page has none.
int Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

}  // namespace

void AppendCp1252AsUtf8(std::string_view cp1252, std::string& out) {
    for (const char c : cp1252) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else if (b < 0xA0) {
            AppendUtf8(kHighControls[b - 0x80], out);
        } else {
            AppendUtf8(b, out);
        }
    }
}

void AppendUtf8AsCp1252(std::string_view utf8, std::string& out) {
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = NextUtf8Char(utf8, pos, cp);
        // A byte that is not well-formed UTF-8 is a character of its own.
        const int byte = length == 1 && cp >= 0x80 ? -1 : Cp1252Byte(cp);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
        pos += length;
    }
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    AppendCp1252AsUtf8(cp1252, out);
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendUtf8AsCp1252(utf8, out);
    return out;
}

}  // namespace varlo
