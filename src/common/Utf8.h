#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varlo {

// UTF-8, the form every text takes in memory. A text may still hold bytes
// that are not well-formed UTF-8 (an XML table file can carry any byte); each
// such byte counts as one character of its own, everywhere a text is
// measured, cut or converted, so that all of them agree on its length.

// Appends the UTF-8 form of one code point.
inline void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes the multi-byte sequence at text[pos] into `cp`; returns its length,
// or 0 when the bytes there are not a well-formed sequence of two to four
// bytes (an ASCII byte included).
inline std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
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

// The character at text[pos] (pos < size): its code point and its length in
// bytes. A byte that does not start a well-formed sequence is a character of
// one byte whose code point is the byte's value.
inline std::size_t NextUtf8Char(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto b0 = static_cast<std::uint8_t>(text[pos]);
    if (b0 >= 0x80) {
        if (const std::size_t length = DecodeUtf8(text, pos, cp)) return length;
    }
    cp = b0;
    return 1;
}

// The number of characters of a text.
inline std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += NextUtf8Char(text, pos, cp)) ++count;
    return count;
}

// The byte offset of character number `characters`, or the text's size when
// it has no more.
inline std::size_t Utf8Offset(std::string_view text, std::size_t characters) {
    std::size_t pos = 0;
    char32_t cp = 0;
    for (; pos < text.size() && characters > 0; --characters) pos += NextUtf8Char(text, pos, cp);
    return pos;
}

// The first code point of a text, or 0 when the text is empty.
inline char32_t FirstCodePoint(std::string_view text) {
    char32_t cp = 0;
    if (!text.empty()) NextUtf8Char(text, 0, cp);
    return cp;
}

// The text as UTF-16; a byte that is not well-formed UTF-8 becomes U+FFFD.
inline std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = NextUtf8Char(text, pos, cp);
        if (length == 1 && cp >= 0x80) cp = 0xFFFD;
        pos += length;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

}  // namespace varlo
