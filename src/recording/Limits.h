#pragma once

#include <string_view>

#include "decode/Locale.h"
#include "recording/EditBox.h"

namespace varlo {

// Judge limits: the texts of T1HI (upper) and T1LO (lower) are the limits.

// Key filter of T1HI and T1LO: Backspace, "-", the digits and the first
// character of the locale's decimal separator.
bool T1HIKeyPress(char32_t key, std::string_view DecimalSep);

// Change check of T1HI and T1LO: a lone "-" (blanks and control characters
// around it ignored) becomes "-0" with the 0 selected; then a text that is
// not a number under the locale becomes "0", selected.
void T1HIChange(EditBox& edit, const LocaleFormat& format);

// Key filter of Setmax and SetMin: digits, Backspace, "+" and "-".
bool SetmaxKeyPress(char32_t key);

// The alarm limits in display counts, entered in Setmax and SetMin.
class AlarmLimits {
  public:
    // Start values just outside the full scale: +/-(fullScale + 2).
    explicit AlarmLimits(int fullScale = 22000);

    float AlarmHigh;
    float AlarmLow;

    // Text change of Setmax and click of SetMaxB: AlarmHigh := the value of
    // the text; "-", "+" and "" give 0. A text that is not a 32-bit whole
    // number raises the "not a valid integer value" error and the limit
    // keeps its value.
    void SetmaxExit(std::string_view Setmax);
    // The same for SetMin and AlarmLow.
    void SetMinExit(std::string_view SetMin);

    // The value an alarm-limit text stands for, as above.
    static float LimitValue(std::string_view text);
};

}  // namespace varlo
