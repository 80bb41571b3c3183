#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace varlo {

// A whole number as the interval and time edits take it: an optional "+"
// and decimal digits, 0 to 2147483647. Negative numbers, blanks and any
// other text give nullopt.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// A 32-bit signed integer: an optional sign and decimal digits, nothing
// else.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// A floating-point number typed by the user: optional blanks, optional sign,
// digits with at most one decimal separator (at least one digit in all),
// an optional exponent ("e" or "E", optional sign, digits), optional blanks.
// The separator is the locale's; an empty separator admits none. Thousands
// separators are not part of a number.
std::optional<double> ParseLocaleFloat(std::string_view text, std::string_view decimalSeparator);

}  // namespace varlo
