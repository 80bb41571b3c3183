#pragma once

#include <cstddef>
#include <string>

class QIODevice;

namespace varlo {

class ReadingLog;

// The table text file without its messages.

// Writes the header and every row of the log to `path` through a
// SafeFileWriter; false when the file could not be written (the old file is
// then as it was), `refusal` then getting the writer's reason, if any.
bool WriteTableText(const ReadingLog& log, const std::string& path, std::string* refusal = nullptr);
// Writes the same bytes to an open device.
bool WriteTableText(const ReadingLog& log, QIODevice& device);

// Reads a table text file and appends its rows to `log`: the first line is
// dropped whatever it holds; every other line, split into fields by
// SplitTableFields, fills the columns in their order; a line without fields
// is skipped. Lines end at CR,
// LF or CR LF. False when the file cannot be read, holds no line at all, has a
// line longer than kMaxTableLineBytes or with more than seven fields, or a
// field that is not an integer in an integer column; rows appended before the
// failure are left for the caller to drop.
bool ReadTableText(const std::string& path, ReadingLog& log);
// Reads from an open device.
bool ReadTableText(QIODevice& device, ReadingLog& log);

inline constexpr std::size_t kMaxTableLineBytes = 64 * 1024;

}  // namespace varlo
