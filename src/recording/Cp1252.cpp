#include "recording/Cp1252.h"

#include <array>
#include <cstdint>

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

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// The byte for a code point, or -1 when the code page has none.
int Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

}  // namespace

// Decodes one UTF-8 sequence at text[pos]; returns its length, or 0 when the
// bytes there are not a well-formed sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto b0 = static_cast<std::uint8_t>(text[pos]);
    std::size_t length;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<std::uint8_t>(text[pos + i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

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
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto b = static_cast<std::uint8_t>(utf8[pos]);
        if (b < 0x80) {
            out.push_back(utf8[pos++]);
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, pos, cp);
        if (length == 0) {
            out.push_back('?');
            ++pos;
            continue;
        }
        const int byte = Cp1252Byte(cp);
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
