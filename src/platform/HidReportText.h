#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// The text form of HID input reports: one report a line, its bytes as two
// hexadecimal digits separated by blanks, the report ID first
// ("00 F2 31 30 00 00 00 00 00"). varlo-cli reads it (dump --hid-reports),
// writes it (--capture, sim --reports), and device scripts queue it.

// A line longer than this is refused before it is held whole.
inline constexpr std::size_t kMaxHidTextLineBytes = 4 * 65536;
// A report holds at most this many bytes after its report ID.
inline constexpr std::size_t kMaxHidReportDataBytes = 65535;

// Parses one line (a trailing CR is ignored) into `bytes`, the report ID
// first; a blank line gives no bytes. False with `reason` set for a word
// that is not a byte of two hexadecimal digits, or a report that is too long.
bool ParseHidReportText(std::string_view line, std::vector<std::uint8_t>& bytes,
                        std::string& reason);

// The text of one report, the report ID first, without a line end.
std::string FormatHidReportText(std::uint8_t reportId, const std::uint8_t* data, std::size_t size);

// Reads one line of `file` into `line`, without its LF. False at the end of
// the input (nothing read). Throws VarloError "NAME:LINE: line too long"
// when the line runs past kMaxHidTextLineBytes, and "NAME: reason" when the
// file cannot be read; `lineNo` counts the lines read.
bool ReadHidTextLine(std::FILE* file, const std::string& name, std::size_t& lineNo,
                     std::string& line);

// Hands every report of a report text to `report` in order, blank lines
// skipped. A line it cannot use throws VarloError "NAME:LINE: reason".
void ReadHidReportText(std::FILE* file, const std::string& name,
                       const std::function<void(std::vector<std::uint8_t>&)>& report);

}  // namespace varlo
