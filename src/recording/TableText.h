#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// The rules of the tab-separated table text, independent of the log.

// The header line of a table text file, without its line end.
inline constexpr std::string_view kTableHeaderFields = "No\tTime\tDC/AC\tValue\tUnit\tAUTO";
inline constexpr std::string_view kTableLineEnd = "\r\n";
// Written for a field that is empty once trimmed.
inline constexpr std::string_view kTableNullField = "NULL";

// The saver's trimming: the text without leading and trailing characters with
// codes 0 to 32.
std::string_view TrimTableText(std::string_view text);

// Appends one text field as the saver writes it: trimmed, "NULL" when
// nothing is left, converted to Windows-1252. A field that holds a TAB or
// begins with a double quote is written in the quoted form that
// SplitTableFields reads back (enclosing quotes, inner quotes doubled); every
// other field is written as it stands, except that a CR or LF inside it is
// written as a blank, since the reader ends a line there.
void AppendTableTextField(std::string_view utf8, std::string& out);

// Appends an integer field: the number in decimal, nothing for no value.
void AppendTableIntegerField(std::optional<std::int32_t> value, std::string& out);

// Splits one line (without its line end) at TABs into `fields`, which is
// resized to the number found; their storage is reused between calls.
// A field that begins with a double quote runs to the matching closing quote
// and may hold TABs; two quotes in a row inside stand for one; text after the
// closing quote up to the next TAB is appended; a quote that is never closed
// runs to the end of the line. An empty line yields no field.
// Splitting stops once more than `maxFields` fields are found, so the result
// is then maxFields + 1: enough to tell that the line has too many.
std::size_t SplitTableFields(std::string_view line, std::vector<std::string>& fields,
                             std::size_t maxFields);

// The integer columns' reading of a field: an optional sign and decimal digits
// within 32 bits; an empty field is no value. Returns false for anything else.
bool ParseTableInteger(std::string_view text, std::optional<std::int32_t>& value);

}  // namespace varlo
