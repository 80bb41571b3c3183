#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varlo {

// Windows-1252, the single-byte code page of the table text files, to and
// from the UTF-8 held in memory.
//
// Decoding maps every byte: the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same number,
// as Windows itself reads them, so that they survive a round trip.
// Encoding writes "?" for every character the code page cannot hold and for
// every byte of malformed UTF-8, one byte for each character as the log
// counts them (common/Utf8.h), so a text never grows in characters.

// Appends the UTF-8 form of the Windows-1252 bytes to `out`.
void AppendCp1252AsUtf8(std::string_view cp1252, std::string& out);
// Appends the Windows-1252 form of the UTF-8 text to `out`.
void AppendUtf8AsCp1252(std::string_view utf8, std::string& out);

std::string Cp1252ToUtf8(std::string_view cp1252);

std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace varlo
