#pragma once

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

#include "recording/ReadingLog.h"

namespace varlo::testing {

// `count` readings of every kind the meter sends: volts, ohms ("*"),
// micro-amps ("+"), temperatures ("?"), overloads ("0L"), Pass and Fail.
inline void AppendVariedRows(ReadingLog& log, int count) {
    struct Kind {
        const char* function;
        const char* value;
        const char* unit;
    };
    static const Kind kKinds[] = {
        {"DC", "12.345", "V"},          {"AC", "230.12", "V"},         {"DC", "-0.0213", "mV"},
        {"Ohm", "4.7021", "K*"},        {"Ohm", "0L", "M*"},           {"DC", "125.30", "+A"},
        {"Temperature", "0023.5", "?"}, {"Frequency", "50.002", "Hz"}, {"Cont", "000.3", "&  *"},
        {"Diode", "0.5621", "V)"},      {"Cap", "10.024", "nF"},       {"AC", "-0L", "mA"}};
    for (int i = 0; i < count; ++i) {
        const auto no = static_cast<std::int32_t>(log.RowCount() + 1);
        const Kind& kind = kKinds[static_cast<std::size_t>(no) % std::size(kKinds)];
        const int second = 3600 * 9 + no;
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", second / 3600, second / 60 % 60,
                      second % 60);
        log.AppendRow(no, time, kind.function, kind.value, kind.unit, no % 5 == 0 ? "Fail" : "Pass",
                      no * 7);
    }
}

}  // namespace varlo::testing
