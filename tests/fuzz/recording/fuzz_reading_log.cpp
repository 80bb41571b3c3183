// Feeds arbitrary bytes, as loaded table files carry them, into the reading
// log's fields and the typed-number readers, and checks what comes back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    varlo::ReadingLog log;

    // Fields separated by TAB, a row per line, as the text loader splits them.
    std::size_t row = log.AppendRow();
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
            Check(field.substr(0, stored.size()) == stored);
            Check(varlo::Utf8Length(stored) == std::min<std::size_t>(varlo::Utf8Length(field), 20));
        }
        ++column;
        if (i < input.size() && input[i] == '\n') {
            row = log.AppendRow();
            column = 0;
        }
    }
    log.TruncateTo(log.RowCount() / 2);

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
