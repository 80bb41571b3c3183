#include "decode/MeterDecoder.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "decode/MeterVariant.h"
#include "decode/Nibble.h"

namespace varlo {

namespace {

using F = LcdFlag;

constexpr std::array<F, 4> kPoints = {F::LcdP0, F::LcdP1, F::LcdP2, F::LcdP3};

// What one range of a function lights: a decimal point, an optional prefix
// and the unit text.
struct RangeEntry {
    int point;  // 0..3
    F prefix;   // F::Count for none
    const char* unit;
};

constexpr F kNoPrefix = F::Count;

// Ranges of the frequency function, shared with option code 11. Range 2
// lights nothing and names no function.
constexpr std::array<RangeEntry, 8> kFrequencyRanges = {{
    {2, kNoPrefix, "Hz"},
    {3, kNoPrefix, "Hz"},
    {-1, kNoPrefix, nullptr},
    {1, F::LCDk, "kHz"},
    {2, F::LCDk, "kHz"},
    {0, F::LCDM1, "MHz"},
    {1, F::LCDM1, "MHz"},
    {2, F::LCDM1, "MHz"},
}};

long long ParseDecimal(std::string_view text) {
    long long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

MeterDecoder::MeterDecoder(TraceSinks& traces, const LocaleSource& locale)
    : traces_(traces), locale_(locale) {
    RefreshLocale();
}

void MeterDecoder::RefreshLocale() {
    LocaleValues values = ReadLocaleValues(locale_);
    decimalSep_ = std::move(values.DecimalSep);
    localeFormat_ = std::move(values.Format);
}

int MeterDecoder::Nibble(int position) const {
    // A position past the end of the frame repeats the one before it.
    int value = 0;
    const int last = std::min<int>(position, static_cast<int>(frameText_.size()));
    if (last >= 1) {
        value = NibbleValue(frameText_[last - 1]);
    }
    return value < 0 ? 0 : value;
}

std::string MeterDecoder::RejectionReason(std::string_view frameText) {
    for (std::size_t i = 1; i < frameText.size() && i < 13; ++i) {
        if (NibbleValue(frameText[i]) < 0) {
            return "position " + std::to_string(i + 1) + " is not a hexadecimal digit";
        }
    }
    auto nibbleAt = [&](std::size_t position) {
        const std::size_t last = std::min(position, frameText.size());
        const int value = last >= 1 ? NibbleValue(frameText[last - 1]) : 0;
        return value < 0 ? 0 : value;
    };
    if (nibbleAt(2) >= 10) {
        return std::string("range code '") + frameText[1] + "' is not decimal";
    }
    const bool overload = (nibbleAt(9) & 0x1) != 0;       // bit 32
    const bool dutyOverload = (nibbleAt(11) & 0x8) != 0;  // bit 37
    if (!overload && !dutyOverload) {
        for (std::size_t pos = 3; pos <= 7; ++pos) {
            if (nibbleAt(pos) >= 10) {
                return "digit " + std::to_string(pos - 2) + " '" +
                       std::string(1, pos <= frameText.size() ? frameText[pos - 1] : '?') +
                       "' is not decimal";
            }
        }
    }
    return {};
}

bool MeterDecoder::LcdDisplayKESTO(std::string_view frameText) {
    if (std::string reason = RejectionReason(frameText); !reason.empty()) {
        ++rejected_;
        traces_.Memo1.Add("Rejected frame " + std::string(frameText) + ": " + reason);
        return false;
    }
    ++decoded_;
    frameText_.assign(frameText);

    // 1. The limit texts in the locale's separator. The locale values were
    // read when the locale last changed (RefreshLocale), not per frame.
    followUp_->NormaliseLimitTexts(*this);

    // 2. Link indicator.
    link_.CONokVisible = true;
    link_.CONokNVisible = false;
    link_.LinkIdleTicks = 0;

    // 3. Frame bits, traced position by position.
    BuildFrameBits(frameText_, frameBits_);
    traces_.Memo2.AddRepeated(frameText_, 12);
    traces_.Memo1.AddFrameBitsProgression(frameText_);

    // 4. Reset.
    reading_.FunctionText.clear();
    reading_.RangeModeText.clear();
    reading_.UnitText.clear();
    panel_.SwitchAllOff();

    // 5. Digits.
    std::array<std::string, 5> d;
    for (int i = 0; i < 5; ++i) {
        d[i].assign(1, frameText_.size() > static_cast<std::size_t>(2 + i)
                           ? frameText_[2 + i]
                           : HexDigit(static_cast<unsigned>(Nibble(3 + i))));
    }
    auto setOverloadDigits = [&] { d = {"", "0", "@", "", ""}; };
    if (Bit(37)) {
        setOverloadDigits();
        panel_.Light(F::LcdP2);
    }

    // 6.
    traces_.USBtxt.Set(frameText_);
    panel_.Light(F::LCDsend);

    // 7. Function and range, then duty; 8. option code.
    const int r = Nibble(2);
    const int f = Nibble(8);
    const int g = Nibble(12);
    int presetPointIndex = f == 4 ? 3 : 0;
    ApplyFunctionTable(f, r);
    if (Bit(29)) {
        ApplyDutyTable(f);
    }
    ApplyOptionTable(g, r);

    // 9. Sign; 10. battery; 11. digits visible.
    std::string s;
    if (Bit(30)) {
        panel_.Light(F::LcdFH);
        s = "-";
    } else {
        panel_.SwitchOff(F::LcdFH);
    }
    panel_.SetLit(F::LCDBATT, Bit(31));
    for (LcdDigit& digit : panel_.Digits) {
        digit.Visible = true;
    }

    // 12. Overload, or blanking of leading zeros by the points lit now.
    if (Bit(32)) {
        setOverloadDigits();
    } else if (panel_.Lit(F::LcdP1)) {
        if (d[0] == "0") {
            panel_.Digits[0].Visible = false;
        }
    } else if (panel_.Lit(F::LcdP2)) {
        if (d[0] == "0") {
            panel_.Digits[0].Visible = false;
            if (d[1] == "0") {
                panel_.Digits[1].Visible = false;
            }
        }
    } else if (panel_.Lit(F::LcdP3)) {
        for (int i = 0; i < 3 && d[i] == "0"; ++i) {
            panel_.Digits[i].Visible = false;
        }
    }

    // 13. REL; 14. duty overload.
    panel_.SetLit(F::LCDREL, Bit(35));
    if (Bit(37)) {
        panel_.SwitchOff(F::LcdAuto);
        panel_.Light(F::LcdManu);
        reading_.UnitText = "%";
        reading_.FunctionText = "Duty";
        panel_.Light(F::LCDBF);
        for (F off : {F::LcdV, F::LCDHz, F::LcdP0, F::LcdP1, F::LcdP2}) {
            panel_.SwitchOff(off);
        }
        panel_.Light(F::LcdP3);
    }

    // 15. Coupling and range annunciators; 16. HOLD; 17. AUTO/MANU.
    panel_.SetLit(F::LcdDc1, Bit(41));
    panel_.SetLit(F::LcdAC, Bit(42));
    panel_.SetLit(F::LcdAuto, Bit(43));
    if (Bit(47)) {
        panel_.Light(F::LCDHold);
    }
    if (panel_.Lit(F::LcdAuto)) {
        panel_.SwitchOff(F::LcdManu);
        reading_.RangeModeText = "AUTO";
    } else {
        panel_.Light(F::LcdManu);
        reading_.RangeModeText = "MANU";
    }

    // 18. Counts.
    const std::string signAndOverload = s + d[1] + d[2];
    if (signAndOverload == "0@") {
        reading_.Counts = fullScale_;
    } else if (signAndOverload == "-0@") {
        reading_.Counts = -fullScale_;
    } else {
        const long long magnitude = ParseDecimal(d[0] + d[1] + d[2] + d[3] + d[4]);
        reading_.Counts = static_cast<double>(s.empty() ? magnitude : -magnitude);
    }

    // 19. Decimal points: separators, scaled value and the chart's range.
    // Without a point the reading is a whole count.
    std::array<std::string, 4> sep;
    reading_.ScaledValue = reading_.Counts;
    static constexpr std::array<double, 4> kDivisors = {10000.0, 1000.0, 100.0, 10.0};
    static constexpr std::array<double, 4> kYRange = {22.0, 22.0, 220.0, 2200.0};
    for (int p = 0; p < 4; ++p) {
        if (!panel_.Lit(kPoints[p])) {
            continue;
        }
        sep[p] = decimalSep_;
        reading_.ScaledValue = reading_.Counts / kDivisors[p];
        if (chart_ != nullptr) {
            chart_->SetYMax(kYRange[p]);
            chart_->SetYMin(-kYRange[p]);
        }
    }
    if (d[2] == "@") {
        reading_.ScaledValue = reading_.Counts;
    }

    // 20. Value text.
    if (d[2] == "@") {
        reading_.ValueText = s + d[0] + sep[0] + d[1] + sep[1] + "L" + sep[3] + d[4];
    } else {
        reading_.ValueText =
            s + d[0] + sep[0] + d[1] + sep[1] + d[2] + sep[2] + d[3] + sep[3] + d[4];
    }

    // 21. Alarm.
    followUp_->SoundAlarm(*this);

    // 22. Decimal point index: the highest lit point.
    reading_.DecimalPointIndex = presetPointIndex;
    for (int p = 0; p < 4; ++p) {
        if (panel_.Lit(kPoints[p])) {
            reading_.DecimalPointIndex = p;
        }
    }

    // 23., 24. Extremes and mode change, then the digit captions.
    followUp_->TrackExtremes(*this);
    followUp_->ShowExtremes(*this);
    for (int i = 0; i < 5; ++i) {
        panel_.Digits[i].Caption = d[i];
    }

    // 25. - 27. Recall clock, judgement, log.
    followUp_->AdvanceRecallClock(*this);
    followUp_->Judge(*this);
    followUp_->AppendToLog(*this);

    // 28. Bar graph.
    if (d[1] + d[2] == "0@") {
        panel_.SetBarPosition(barFull_);
    } else {
        const long long n = ParseDecimal(d[0] + d[1]);
        panel_.SetBarPosition(n >= 2 ? static_cast<int>(n) : 1);
    }

    if (onDecoded_) {
        onDecoded_();
    }
    return true;
}

void MeterDecoder::ApplyFrequencyRange(int r) {
    if (r < 0 || r >= static_cast<int>(kFrequencyRanges.size())) {
        return;
    }
    const RangeEntry& entry = kFrequencyRanges[r];
    if (entry.unit == nullptr) {
        return;
    }
    panel_.Light(kPoints[entry.point]);
    if (entry.prefix != kNoPrefix) {
        panel_.Light(entry.prefix);
    }
    reading_.UnitText = entry.unit;
    reading_.FunctionText = "Frequency";
}

void MeterDecoder::ApplyFunctionTable(int f, int r) {
    auto apply = [&](const RangeEntry* entries, int count, const char* function) {
        if (r < 0 || r >= count) {
            return;
        }
        const RangeEntry& entry = entries[r];
        panel_.Light(kPoints[entry.point]);
        if (entry.prefix != kNoPrefix) {
            panel_.Light(entry.prefix);
        }
        reading_.UnitText = entry.unit;
        if (function != nullptr) {
            reading_.FunctionText = function;
        }
    };
    switch (f) {
        case 0: {
            static constexpr RangeEntry kAmps[] = {{1, kNoPrefix, "A"}};
            panel_.Light(F::LCDA);
            apply(kAmps, 1, nullptr);
            break;
        }
        case 1:
            panel_.Light(F::LCDDI);
            panel_.Light(F::LcdV);
            panel_.Light(F::LcdP0);
            reading_.UnitText = "V)";
            reading_.FunctionText = "Diode";
            break;
        case 2:
            panel_.Light(F::LCDHz);
            ApplyFrequencyRange(r);
            break;
        case 3: {
            static constexpr RangeEntry kOhms[] = {
                {2, kNoPrefix, "*"}, {0, F::LCDk, "K*"},  {1, F::LCDk, "K*"}, {2, F::LCDk, "K*"},
                {0, F::LCDM1, "M*"}, {1, F::LCDM1, "M*"}, {2, F::LCDM1, "M*"}};
            panel_.Light(F::LCDohm);
            apply(kOhms, 7, "Ohm");
            break;
        }
        case 4:
            panel_.Light(F::LCDFS);
            reading_.UnitText = "?";
            reading_.FunctionText = "Temperature";
            break;
        case 5:
            panel_.Light(F::LCDFm);
            panel_.Light(F::LCDohm);
            panel_.Light(F::LcdP2);
            reading_.UnitText = "&  *";
            reading_.FunctionText = "Cont";
            break;
        case 6: {
            static constexpr RangeEntry kFarads[] = {
                {1, F::LCDn, "nF"}, {2, F::LCDn, "nF"}, {0, F::LCDu, "uF"}, {1, F::LCDu, "uF"},
                {2, F::LCDu, "uF"}, {0, F::Lcdm, "mF"}, {1, F::Lcdm, "mF"}, {2, F::Lcdm, "mF"}};
            panel_.Light(F::LCDF);
            apply(kFarads, 8, "Cap");
            break;
        }
        case 9: {
            static constexpr RangeEntry kAmps[] = {
                {2, kNoPrefix, "A"}, {1, kNoPrefix, "A"}, {2, kNoPrefix, "A"}, {3, kNoPrefix, "A"}};
            panel_.Light(F::LCDA);
            apply(kAmps, 4, nullptr);
            break;
        }
        case 11: {
            static constexpr RangeEntry kVolts[] = {{0, kNoPrefix, "V"},
                                                    {1, kNoPrefix, "V"},
                                                    {2, kNoPrefix, "V"},
                                                    {3, kNoPrefix, "V"},
                                                    {2, F::Lcdm, "mV"}};
            panel_.Light(F::LcdV);
            apply(kVolts, 5, nullptr);
            break;
        }
        case 13: {
            static constexpr RangeEntry kMicroAmps[] = {{2, F::LCDu, "uA"}, {3, F::LCDu, "uA"}};
            panel_.Light(F::LCDA);
            apply(kMicroAmps, 2, nullptr);
            break;
        }
        case 15: {
            static constexpr RangeEntry kMilliAmps[] = {{1, F::Lcdm, "mA"}, {2, F::Lcdm, "mA"}};
            panel_.Light(F::LCDA);
            apply(kMilliAmps, 2, nullptr);
            break;
        }
        default:
            break;  // 7, 8, 10, 12, 14: nothing
    }
}

void MeterDecoder::ApplyDutyTable(int f) {
    struct DutyRow {
        int function;
        std::array<F, 4> off;
        bool pointThree;
        const char* text;
    };
    static constexpr std::array<DutyRow, 5> kDuty = {{
        {0, {F::LCDA, F::Lcdm, F::LcdV, F::LCDHz}, true, "duty"},
        {2, {F::LCDk, F::LCDM1, F::LCDHz, F::LCDHz}, true, "Duty"},
        {11, {F::LcdV, F::LCDHz, F::LCDHz, F::LCDHz}, true, "Duty"},
        {13, {F::LCDA, F::LCDu, F::LcdV, F::LCDHz}, true, "duty"},
        {15, {F::LCDA, F::Lcdm, F::LcdV, F::LCDHz}, false, "duty"},
    }};
    for (const DutyRow& row : kDuty) {
        if (row.function != f) {
            continue;
        }
        panel_.Light(F::LCDBF);
        reading_.UnitText = "%";
        for (F point : {F::LcdP0, F::LcdP1, F::LcdP2}) {
            panel_.SwitchOff(point);
        }
        for (F flag : row.off) {
            panel_.SwitchOff(flag);
        }
        panel_.SetLit(F::LcdP3, row.pointThree);
        reading_.FunctionText = row.text;
        return;
    }
}

void MeterDecoder::ApplyOptionTable(int g, int r) {
    switch (g) {
        case 4:
        case 6:
            reading_.FunctionText = "AC";
            break;
        case 8:
        case 10:
            reading_.FunctionText = "DC";
            break;
        case 7:
            for (F off : {F::LcdV, F::LCDA, F::LCDu, F::Lcdm, F::LcdP0, F::LcdP1}) {
                panel_.SwitchOff(off);
            }
            panel_.Light(F::LCDHz);
            panel_.Light(F::LcdP2);
            reading_.FunctionText = "Frequency";
            reading_.UnitText = "Hz";
            break;
        case 9:
            for (F off : {F::LcdP0, F::LcdP1, F::LcdP2, F::LcdV, F::LCDA, F::LCDu, F::Lcdm}) {
                panel_.SwitchOff(off);
            }
            panel_.Light(F::LCDBF);
            reading_.UnitText = "%";
            reading_.FunctionText = "duty";
            break;
        case 11:
            for (F off :
                 {F::LcdV, F::LcdP0, F::LcdP1, F::LcdP2, F::LcdP3, F::Lcdm, F::LCDA, F::LCDu}) {
                panel_.SwitchOff(off);
            }
            panel_.Light(F::LCDHz);
            ApplyFrequencyRange(r);
            break;
        default:
            break;
    }
}

}  // namespace varlo
