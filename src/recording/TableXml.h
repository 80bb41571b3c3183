#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "recording/TableStep.h"

class QIODevice;

namespace varlo {

class ReadingLog;

// The XML table file: the whole log with its columns' names and types.
//
//   <?xml version="1.0"?>                      (UTF-8)
//   <readingLog version="1">
//    <columns>
//     <column name="No" type="int32"/>
//     <column name="time" type="text" length="20"/>
//     ... all seven, in the log's column order ...
//    </columns>
//    <rows>
//     <row>1	14:03:07	DC	00.123	V	Pass	123</row>
//     <row>\N	14:03:08		0L	&amp;  *	Fail	\N</row>
//    </rows>
//   </readingLog>
//
// A row holds its seven fields in column order, separated by TABs: \N for a
// field without a value, an integer in decimal, or a text in which a
// backslash is written \\, a TAB \t, a line feed \n, a carriage return \r,
// and any other byte that XML cannot carry \xHH (two hexadecimal digits).
// One text element per row keeps the file small and quick to read; a row of
// more than 64 KiB is refused.

// Writes the document with the first `rows` rows of the log (at most the rows
// it holds when the writer is made) to an open device, a step at a time. The
// log may grow between steps; the rows being written must not change.
std::unique_ptr<TableRowWriter> MakeTableXmlWriter(const ReadingLog& log, std::size_t rows,
                                                   QIODevice& device);

// Reads an XML table from an open device and appends its rows to `log`, a
// step at a time. Fails when the device cannot be read, the document is not
// well-formed, carries a DTD or entity declarations, is not in this layout,
// or its columns do not match the log's.
std::unique_ptr<TableRowReader> MakeTableXmlReader(QIODevice& device, ReadingLog& log);

// The same in one call. Writes every row of the log to `path` through a
// SafeFileWriter; false when the file could not be written (the old file is
// then as it was), `refusal` then getting the writer's reason, if any.
bool WriteTableXml(const ReadingLog& log, const std::string& path, std::string* refusal = nullptr);
// Writes the same document to an open device.
bool WriteTableXml(const ReadingLog& log, QIODevice& device);

// Appends the rows of an XML table file to `log`; false on any of the
// failures above, rows appended before the failure being left for the caller
// to drop.
bool ReadTableXml(const std::string& path, ReadingLog& log);
// Reads from an open device.
bool ReadTableXml(QIODevice& device, ReadingLog& log);

}  // namespace varlo
