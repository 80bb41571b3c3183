#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "recording/TableStep.h"

class QIODevice;

namespace varlo {

class ReadingLog;

// The table text file without its messages.

// Writes the header and the first `rows` rows of the log (at most the rows it
// holds when the writer is made) to an open device, a step at a time. The log
// may grow between steps; the rows being written must not change.
std::unique_ptr<TableRowWriter> MakeTableTextWriter(const ReadingLog& log, std::size_t rows,
                                                    QIODevice& device);

// Reads a table text from an open device and appends its rows to `log`, a
// step at a time: the first line is dropped whatever it holds; every other
// line, split into fields by SplitTableFields, fills the columns in their
// order; a line without fields is skipped. Lines end at CR, LF or CR LF.
// Fails when the device cannot be read, holds no line at all, has a line
// longer than kMaxTableLineBytes or with more than seven fields, or a field
// that is not an integer in an integer column.
std::unique_ptr<TableRowReader> MakeTableTextReader(QIODevice& device, ReadingLog& log);

// The same in one call. Writes every row of the log to `path` through a
// SafeFileWriter; false when the file could not be written (the old file is
// then as it was), `refusal` then getting the writer's reason, if any.
bool WriteTableText(const ReadingLog& log, const std::string& path, std::string* refusal = nullptr);
// Writes the same bytes to an open device.
bool WriteTableText(const ReadingLog& log, QIODevice& device);

// Reads a table text file and appends its rows to `log`; false on any of the
// failures above, rows appended before the failure being left for the caller
// to drop.
bool ReadTableText(const std::string& path, ReadingLog& log);
// Reads from an open device.
bool ReadTableText(QIODevice& device, ReadingLog& log);

inline constexpr std::size_t kMaxTableLineBytes = 64 * 1024;

}  // namespace varlo
