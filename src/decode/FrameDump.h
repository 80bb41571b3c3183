#pragma once

#include <string>

#include "decode/MeterDecoder.h"

namespace varlo {

// The header and one line of the frame dump: the decoded reading and the
// display replica after a frame, tab-separated, no line end.
extern const char* const kDumpHeader;
std::string FormatDumpLine(const MeterDecoder& decoder);
// Appends the same line to `line`, so that a caller printing every frame
// reuses one buffer.
void AppendDumpLine(const MeterDecoder& decoder, std::string& line);

// Shortest fixed-notation text that reads back as the same double; never "-0".
std::string FormatFixed(double value);
// Counts as an integer; never "-0".
std::string FormatCounts(double counts);

}  // namespace varlo
