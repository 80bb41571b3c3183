#pragma once

#include "recording/EditBox.h"

namespace varlo {

// The input rules of the whole-number edits: the sampling interval
// RecordSITime, the recall edits TimeH, TimeM, TimeS and TimeInt (and, for
// the key filter, the chart page size Maxrecord).

// Key filter: digits 0 to 9 and Backspace.
bool RecordSITimeKeyPress(char32_t key);

// Change check: a text that is not a whole number (empty, negative or
// anything else) becomes "1", selected, so the next digit typed replaces it.
void RecordSITimeChange(EditBox& edit);

}  // namespace varlo
