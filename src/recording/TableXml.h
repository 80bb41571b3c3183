#pragma once

#include <string>

namespace varlo {

class ReadingLog;

// The XML table file: the whole log with its columns' names and types.
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <readingLog version="1">
//    <columns>
//     <column name="No" type="int32"/>
//     <column name="time" type="text" length="20"/>
//     ... all seven, in the log's column order ...
//    </columns>
//    <rows>
//     <row c0="1" c1="14:03:07" c2="DC" c3="00.123" c4="V" c5="Pass" c6="123"/>
//    </rows>
//   </readingLog>
//
// Attribute cN holds column N; a missing attribute is a field without a value.
// A text that XML cannot carry (control characters) is written as xN, the
// hexadecimal digits of its UTF-8 bytes, instead.

// False when the file could not be written (the old file is then as it was).
bool WriteTableXml(const ReadingLog& log, const std::string& path);

// Appends the rows of an XML table file to `log`. False when the file cannot
// be read, is not well-formed, carries a DTD or entity declarations, is not
// in this layout, or its columns do not match the log's; rows appended before
// the failure are left for the caller to drop.
bool ReadTableXml(const std::string& path, ReadingLog& log);

}  // namespace varlo
