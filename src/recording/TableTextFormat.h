#pragma once

#include <cstddef>
#include <string>

namespace varlo {

class ReadingLog;

// The lines of the table text, as Windows-1252 bytes each ending in CR LF:
// the header "No", "Time", "DC/AC", "Value", "Unit", "AUTO", and one line of
// six TAB-separated fields per row (texts trimmed, "NULL" for an empty one,
// an empty field for a row without a number; NVal is not written).
std::string FormatTableHeader();
std::string FormatTableRow(const ReadingLog& log, std::size_t row);
// Appends the row's line to `out` (the saver's form of FormatTableRow).
void AppendTableRow(const ReadingLog& log, std::size_t row, std::string& out);

}  // namespace varlo
