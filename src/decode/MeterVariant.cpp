#include "decode/MeterVariant.h"

#include <array>

namespace varlo {

VariantSelection ApplyMeterVariant(const MeterVariant& variant) {
    VariantSelection selection;
    if (variant.IFKESTO) {
        selection.Handler = SerialReceiveHandler::KESTODATA;
        selection.CaptionBase = "VARLO Interface Program Ver 4.01";
    }
    if (variant.IFMIRELL) {
        selection.Handler = SerialReceiveHandler::TRIVAData;
        selection.CaptionBase = "NORDA Interface Program _Ver: 1.00";
    }
    return selection;
}

namespace {
constexpr std::array<RangeProfile, 4> kProfiles = {{
    {"6", 6000, 60, std::nullopt, 6002.0f, -6002.0f, "6000", "-6000", -6001.0f, 6001.0f, "-6001",
     "6001"},
    {"34", 3400, 34, std::nullopt, 3402.0f, -3402.0f, "3400", "-3400", -3401.0f, 3401.0f, "-3401",
     "3401"},
    {"2", 20000, 20, 20, 20002.0f, -20002.0f, "20000", "-20000", -20001.0f, 20001.0f, "-20001",
     "20001"},
    {"22", 22000, 22, 22, 22002.0f, -22002.0f, "22000", "-22000", -22001.0f, 22001.0f, "-22001",
     "22001"},
}};
}  // namespace

const RangeProfile* FindRangeProfile(std::string_view rangeCode) {
    const RangeProfile* found = nullptr;
    for (const RangeProfile& profile : kProfiles) {
        if (profile.RangeCode == rangeCode) {
            found = &profile;
        }
    }
    return found;
}

bool ApplyRangeProfile(std::string_view rangeCode, RangeState& state) {
    const RangeProfile* row = FindRangeProfile(rangeCode);
    if (row == nullptr) {
        return false;
    }
    state.FullScale = row->FullScale;
    state.BarFull = row->BarFull;
    state.AlarmHigh = row->AlarmHigh;
    state.AlarmLow = row->AlarmLow;
    state.RunMax = row->RunMaxStart;
    state.RunMin = row->RunMinStart;
    state.SetmaxText = row->SetmaxText;
    state.SetMinText = row->SetMinText;
    state.MinTextCaption = row->MinTextCaption;
    state.MaxTextCaption = row->MaxTextCaption;
    if (row->BarMax) {
        state.BarMax = *row->BarMax;
    }
    return true;
}

LocaleValues ReadLocaleValues(const LocaleSource& locale) {
    LocaleValues values;
    std::string sep = locale.DecimalSeparator();
    // The locale answers into a zero-filled buffer of 10 bytes; the text is
    // what comes before the first zero byte.
    if (sep.size() > 9) {
        sep.resize(9);
    }
    if (const auto zero = sep.find('\0'); zero != std::string::npos) {
        sep.resize(zero);
    }
    values.DecimalSep = sep;
    values.Format = locale.Format();
    return values;
}

}  // namespace varlo
