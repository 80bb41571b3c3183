#pragma once

#include <optional>
#include <string>
#include <vector>

#include "recording/ReadingLog.h"
#include "support/RecordingDialogs.h"

namespace varlo::testing {

// Counts what the observer hears.
class CountingObserver : public ReadingLogObserver {
  public:
    void RowsAppended(std::size_t first, std::size_t last) override {
        appended.emplace_back(first, last);
    }
    void RowsReset() override { ++resets; }

    std::vector<std::pair<std::size_t, std::size_t>> appended;
    int resets = 0;
};

// One row of the log as optional texts, null being nullopt, in column order.
using RowTexts = std::vector<std::optional<std::string>>;

inline RowTexts RowAt(const ReadingLog& log, std::size_t row) {
    RowTexts texts;
    for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
        if (log.IsNull(row, column)) {
            texts.push_back(std::nullopt);
        } else {
            texts.push_back(log.Text(row, column));
        }
    }
    return texts;
}

inline std::vector<RowTexts> RowsOf(const ReadingLog& log) {
    std::vector<RowTexts> rows;
    for (std::size_t row = 0; row < log.RowCount(); ++row) rows.push_back(RowAt(log, row));
    return rows;
}

// Appends a row; each value is set through SetText unless null.
inline void AddRow(ReadingLog& log, const RowTexts& texts) {
    const std::size_t row = log.AppendRow();
    for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
        if (texts[static_cast<std::size_t>(column)]) {
            log.SetText(row, column, *texts[static_cast<std::size_t>(column)]);
        }
    }
}

}  // namespace varlo::testing
