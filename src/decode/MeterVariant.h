#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decode/Locale.h"

namespace varlo {

// The meter family this build serves, as the two hidden switches of the
// window say. IFKESTO is the variant in force.
struct MeterVariant {
    bool IFKESTO = true;
    bool IFMIRELL = false;
};

// Which serial receive handler a variant installs.
enum class SerialReceiveHandler { None, KESTODATA, TRIVAData };

struct VariantSelection {
    SerialReceiveHandler Handler = SerialReceiveHandler::None;
    std::string CaptionBase;  // empty when no switch is checked
};

// Applies the switches in order; a later checked switch overrides an
// earlier one.
VariantSelection ApplyMeterVariant(const MeterVariant& variant);

// One row of the count-range profiles.
struct RangeProfile {
    std::string_view RangeCode;
    int FullScale;
    int BarFull;
    std::optional<int> BarMax;
    float AlarmHigh;
    float AlarmLow;
    std::string_view SetmaxText;
    std::string_view SetMinText;
    float RunMaxStart;
    float RunMinStart;
    std::string_view MaxTextCaption;
    std::string_view MinTextCaption;
};

// The values a profile sets, in the order in which they are assigned.
struct RangeState {
    int FullScale = 22000;
    int BarFull = 22;
    float AlarmHigh = 22002.0f;
    float AlarmLow = -22002.0f;
    float RunMax = -22001.0f;
    float RunMin = 22001.0f;
    std::string SetmaxText = "22000";
    std::string SetMinText = "-22000";
    std::string MinTextCaption;
    std::string MaxTextCaption;
    int BarMax = 40;  // the bar graph keeps the form's maximum when a row sets none
};

inline constexpr std::string_view kRangeCodeInForce = "22";

// The profile row for a range code, if there is one.
const RangeProfile* FindRangeProfile(std::string_view rangeCode);

// Assigns the matching row's values to `state`; a code without a row assigns
// nothing. Returns whether a row matched.
bool ApplyRangeProfile(std::string_view rangeCode, RangeState& state);

// The user locale's decimal separator (as asked of the locale, cut at the
// first zero byte and at 10 bytes) and format settings.
struct LocaleValues {
    std::string DecimalSep;
    LocaleFormat Format;
};
LocaleValues ReadLocaleValues(const LocaleSource& locale);

}  // namespace varlo
