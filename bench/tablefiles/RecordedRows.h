#pragma once

// What the table benchmarks share: dialogs that stay quiet, and a log
// filled with rows as a long recording leaves them (times a second apart,
// varied values, both DC and AC, a glyph unit now and then, some Fails).
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/Dialogs.h"
#include "recording/ReadingLog.h"

namespace varlo::bench {

class SilentDialogs : public Dialogs {
  public:
    Answer Ask(const std::string&) override { return Answer::No; }
    void Inform(const std::string&) override {}
    void SystemMessage(const std::string&, const std::string&) override {}
    void ShowError(const std::string&) override {}
};

inline void FillRecorded(ReadingLog& log, std::size_t rows) {
    char time[16];
    char value[16];
    for (std::size_t i = 0; i < rows; ++i) {
        const std::size_t second = (12 * 3600 + i) % 86400;
        std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", second / 3600, second / 60 % 60,
                      second % 60);
        const int counts = static_cast<int>((i * 7919) % 20000);
        std::snprintf(value, sizeof value, "%02d.%03d", counts / 1000, counts % 1000);
        log.AppendRow(static_cast<std::int32_t>(i + 1), time, i % 3 ? "DC" : "AC", value,
                      i % 5 ? "V" : "&  *", counts < 19000 ? "Pass" : "Fail", counts);
    }
}

}  // namespace varlo::bench
