#include "recording/Limits.h"

#include <string>

#include "common/Utf8.h"
#include "common/VarloError.h"
#include "recording/NumberText.h"

namespace varlo {

namespace {

bool IsDigit(char32_t key) {
    return key >= U'0' && key <= U'9';
}

// Blanks and control characters (codes 0 to 32) at either end removed.
std::string_view Trimmed(std::string_view text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

bool T1HIKeyPress(char32_t key, std::string_view DecimalSep) {
    if (key == EditBox::kBackspace || key == U'-' || IsDigit(key)) return true;
    return !DecimalSep.empty() && key == FirstCodePoint(DecimalSep);
}

void T1HIChange(EditBox& edit, const LocaleFormat& format) {
    if (Trimmed(edit.Text()) == "-") {
        edit.SetText("-0");
        edit.Select(1, 1);
    }
    if (!ParseLocaleFloat(edit.Text(), format.DecimalSeparator)) {
        edit.SetText("0");
        edit.Select(0, 1);
    }
}

bool SetmaxKeyPress(char32_t key) {
    return IsDigit(key) || key == EditBox::kBackspace || key == U'+' || key == U'-';
}

AlarmLimits::AlarmLimits(int fullScale)
    : AlarmHigh(static_cast<float>(fullScale + 2)), AlarmLow(-static_cast<float>(fullScale + 2)) {}

float AlarmLimits::LimitValue(std::string_view text) {
    if (text.empty() || text == "-" || text == "+") return 0.0f;
    const auto value = ParseInt32(text);
    if (!value) throw InvalidIntegerError(std::string(text));
    return static_cast<float>(*value);
}

void AlarmLimits::SetmaxExit(std::string_view Setmax) {
    AlarmHigh = LimitValue(Setmax);
}

void AlarmLimits::SetMinExit(std::string_view SetMin) {
    AlarmLow = LimitValue(SetMin);
}

}  // namespace varlo
