#include "decode/FrameDump.h"

#include <charconv>
#include <cmath>

namespace varlo {

const char* const kDumpHeader =
    "frame\tvalue\tfunction\tunit\tmode\tcounts\tscaled\tpoint\tlit\tdigits\tbar";

namespace {

// The shortest fixed-notation text of `value`, "-0" written as "0"; false
// when it does not fit.
bool AppendFixed(double value, std::string& out) {
    if (value == 0.0) {
        value = 0.0;  // no "-0"
    }
    char buffer[400];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc()) {
        return false;
    }
    out.append(buffer, ptr);
    return true;
}

template <typename Integer>
void AppendInteger(Integer value, std::string& out) {
    char buffer[24];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, ec == std::errc() ? ptr : buffer);
}

}  // namespace

std::string FormatFixed(double value) {
    std::string text;
    return AppendFixed(value, text) ? text : "nan";
}

std::string FormatCounts(double counts) {
    return std::to_string(std::llround(counts));
}

std::string FormatDumpLine(const MeterDecoder& decoder) {
    std::string line;
    line.reserve(160);
    AppendDumpLine(decoder, line);
    return line;
}

void AppendDumpLine(const MeterDecoder& decoder, std::string& line) {
    const MeterReading& reading = decoder.Reading();
    const LcdPanel& panel = decoder.Panel();
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
    AppendInteger(std::llround(reading.Counts), line);
    line += '\t';
    if (!AppendFixed(reading.ScaledValue, line)) {
        line += "nan";
    }
    line += '\t';
    AppendInteger(reading.DecimalPointIndex, line);
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
            line += '(';
            line += digit.Caption;
            line += ')';
        }
    }
    line += '\t';
    AppendInteger(panel.BarPosition(), line);
}

}  // namespace varlo
