#include "decode/LcdPanel.h"

#include <algorithm>

namespace varlo {

namespace {
constexpr std::array<std::string_view, kLcdFlagCount> kFlagNames = {
    "LcdP0",   "LcdP1",   "LcdP2",  "LcdP3",  "LcdFH", "LcdDc1", "LcdAC", "LcdAuto", "LcdManu",
    "LCDHold", "LCDBATT", "LCDREL", "LcdV",   "LCDA",  "LCDF",   "LCDHz", "LCDohm",  "LCDBF",
    "LCDk",    "LCDM1",   "Lcdm",   "LCDu",   "LCDn",  "LCDDI",  "LCDFm", "LCDFS",   "LCDsend",
    "LCDCS",   "Labmax",  "Labmin", "LcdRPM", "LCDBT", "EF"};
}  // namespace

std::string_view LcdFlagName(LcdFlag flag) {
    const auto index = static_cast<std::size_t>(flag);
    return index < kFlagNames.size() ? kFlagNames[index] : std::string_view{};
}

void LcdPanel::SetBarPosition(int position) {
    barPosition_ = std::clamp(position, 0, barMax_);
}

void LcdPanel::SetBarMax(int max) {
    barMax_ = std::max(max, 0);
    barPosition_ = std::min(barPosition_, barMax_);
}

}  // namespace varlo
