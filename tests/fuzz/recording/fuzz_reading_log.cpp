// Feeds arbitrary bytes, as loaded table files carry them, into the reading
// log's fields and the typed-number readers, and checks what comes back:
// every text byte for byte (cut to 20 characters), whether its cell or a
// dictionary holds it, also after the log is rolled back, truncated or its
// front erased.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf8.h"
#include "common/VarloError.h"
#include "recording/EditBox.h"
#include "recording/Limits.h"
#include "recording/NumberText.h"
#include "recording/ReadingLog.h"
#include "recording/RecordSITimeInput.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// What the log should hold: the text of each text field, nullopt for null.
using Expected = std::vector<std::vector<std::optional<std::string>>>;

void CheckRows(const varlo::ReadingLog& log, const Expected& expected, std::size_t first) {
    Check(log.RowCount() + first == expected.size());
    for (std::size_t row = 0; row < log.RowCount(); ++row) {
        for (int column = 1; column <= 5; ++column) {
            const auto& want = expected[first + row][static_cast<std::size_t>(column)];
            Check(log.IsNull(row, column) == !want.has_value());
            Check(log.Text(row, column) == want.value_or(""));
        }
    }
}

// Fields separated by TAB, a row per line, as the text loader splits them.
void Fill(varlo::ReadingLog& log, std::string_view input, Expected& expected) {
    std::size_t row = log.AppendRow();
    expected.emplace_back(varlo::ReadingLog::kColumnCount);
    int column = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= input.size(); ++i) {
        if (i < input.size() && input[i] != '\t' && input[i] != '\n') continue;
        const std::string_view field = input.substr(start, i - start);
        start = i + 1;
        const int target = column % varlo::ReadingLog::kColumnCount;
        if (varlo::ReadingLog::IsIntegerColumn(target)) {
            try {
                log.SetText(row, target, field);
                Check(field.empty() == log.IsNull(row, target));
            } catch (const varlo::VarloError&) {
            }
        } else {
            log.SetText(row, target, field);
            const std::string stored = log.Text(row, target);
            Check(stored == varlo::ReadingLog::CutText(field));
            Check(log.TextView(row, target) == stored);
            Check(varlo::Utf8Length(stored) == std::min<std::size_t>(varlo::Utf8Length(field), 20));
            expected.back()[static_cast<std::size_t>(target)] = stored;
        }
        ++column;
        if (i < input.size() && input[i] == '\n') {
            row = log.AppendRow();
            expected.emplace_back(varlo::ReadingLog::kColumnCount);
            column = 0;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    varlo::ReadingLog log;
    Expected expected;

    // The first half, then the second on top of a checkpoint that is rolled
    // back: the first half reads as it did.
    const std::string_view first = input.substr(0, input.size() / 2);
    Fill(log, first, expected);
    CheckRows(log, expected, 0);
    const varlo::ReadingLog::Checkpoint checkpoint = log.MakeCheckpoint();
    Expected added;
    Fill(log, input.substr(first.size()), added);
    log.RollBack(checkpoint);
    CheckRows(log, expected, 0);

    // The whole input again behind it, then a third of the rows dropped
    // from the front and half of the rest from the end.
    Fill(log, input, expected);
    CheckRows(log, expected, 0);
    const std::size_t erased = log.RowCount() / 3;
    log.EraseFront(erased);
    CheckRows(log, expected, erased);
    log.TruncateTo(log.RowCount() / 2);
    expected.resize(erased + log.RowCount());
    CheckRows(log, expected, erased);

    // The typed-number readers and the edit boxes' checks.
    (void)varlo::ParseLocaleFloat(input, ",");
    (void)varlo::ParseInt32(input);
    varlo::EditBox judge("1"), interval("1");  // valid texts, as the boxes start
    varlo::LocaleFormat format;
    judge.SetOnChange([&](varlo::EditBox& e) { varlo::T1HIChange(e, format); });
    interval.SetOnChange(varlo::RecordSITimeChange);
    judge.SetText(input);
    interval.SetText(input);
    Check(varlo::ParseLocaleFloat(judge.Text(), ".").has_value());
    Check(varlo::ParseWholeNumber(interval.Text()).has_value());
    return 0;
}
