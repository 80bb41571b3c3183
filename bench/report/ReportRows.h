#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "recording/ReadingLog.h"

namespace varlo::bench {

// Fills a log with `rows` readings as the recorder writes them: volts and
// ohms, now and then a Fail.
inline void FillReportRows(ReadingLog& log, std::size_t rows) {
    static const char* const kFunctions[] = {"DC", "AC", "Ohm", "Temperature"};
    static const char* const kUnits[] = {"V", "mV", "K*", "?"};
    for (std::size_t i = 0; i < rows; ++i) {
        const int s = static_cast<int>(i % 86400);
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
        char value[16];
        std::snprintf(value, sizeof value, "%06.3f", static_cast<double>(i % 20000) / 1000.0);
        const std::size_t mode = (i / 1000) % 4;
        log.AppendRow(static_cast<std::int32_t>(i + 1), time, kFunctions[mode], value, kUnits[mode],
                      i % 17 == 0 ? "Fail" : "Pass", static_cast<std::int32_t>(i % 20000));
    }
}

}  // namespace varlo::bench
