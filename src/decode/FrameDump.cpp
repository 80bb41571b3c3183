#include "decode/FrameDump.h"

#include <charconv>
#include <cmath>

namespace varlo {

const char* const kDumpHeader =
    "frame\tvalue\tfunction\tunit\tmode\tcounts\tscaled\tpoint\tlit\tdigits\tbar";

std::string FormatFixed(double value) {
    if (value == 0.0) {
        value = 0.0;  // no "-0"
    }
    char buffer[400];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc()) {
        return "nan";
    }
    return std::string(buffer, ptr);
}

std::string FormatCounts(double counts) {
    return std::to_string(std::llround(counts));
}

std::string FormatDumpLine(const MeterDecoder& decoder) {
    const MeterReading& reading = decoder.Reading();
    const LcdPanel& panel = decoder.Panel();
    std::string line;
    line.reserve(160);
    line += decoder.FrameText();
    line += '\t';
    line += reading.ValueText;
    line += '\t';
    line += reading.FunctionText;
    line += '\t';
    line += reading.UnitText;
    line += '\t';
    line += reading.RangeModeText;
    line += '\t';
    line += FormatCounts(reading.Counts);
    line += '\t';
    line += FormatFixed(reading.ScaledValue);
    line += '\t';
    line += std::to_string(reading.DecimalPointIndex);
    line += '\t';
    bool first = true;
    for (std::size_t i = 0; i < kLcdFlagCount; ++i) {
        const auto flag = static_cast<LcdFlag>(i);
        if (panel.Lit(flag)) {
            if (!first) {
                line += ',';
            }
            line += LcdFlagName(flag);
            first = false;
        }
    }
    line += '\t';
    for (std::size_t i = 0; i < panel.Digits.size(); ++i) {
        if (i > 0) {
            line += '|';
        }
        const LcdDigit& digit = panel.Digits[i];
        if (digit.Visible) {
            line += digit.Caption;
        } else {
            line += '(' + digit.Caption + ')';
        }
    }
    line += '\t';
    line += std::to_string(panel.BarPosition());
    return line;
}

}  // namespace varlo
