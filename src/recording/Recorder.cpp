#include "recording/Recorder.h"

#include <cmath>
#include <limits>
#include <utility>

#include "common/VarloError.h"
#include "recording/NumberText.h"
#include "recording/RecallClock.h"

namespace varlo {

namespace {

// Counts are whole numbers within the meter's range; anything else is held
// at the ends of the column's range rather than wrapped.
std::int32_t CountsValue(double counts) {
    if (std::isnan(counts)) return 0;
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (counts <= kMin) return std::numeric_limits<std::int32_t>::min();
    if (counts >= kMax) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::llround(counts));
}

}  // namespace

Recorder::Recorder(ReadingLog& log, RecordChart& chart, RecordWindow& window, Dialogs& dialogs,
                   const LocalClock& clock, const LocaleSource& locale, const RecallClock* recall)
    : log_(log),
      chart_(chart),
      window_(window),
      dialogs_(dialogs),
      clock_(clock),
      locale_(locale),
      recall_(recall) {
    RefreshLocale();
}

void Recorder::RefreshLocale() {
    timeSeparator_ = locale_.Format().TimeSeparator;
}

std::string Recorder::TimeStamp(bool RecallCheck) const {
    if (RecallCheck && recall_) return recall_->RecallTimeText(timeSeparator_);
    const LocalDateTime now = clock_.Now();
    return FormatTimeOfDay(now.Hour, now.Minute, now.Second, timeSeparator_);
}

RecordOutcome Recorder::INDataToTable(const MeterReading& reading, const RecordControls& controls) {
    if (state_.RecordCount >= state_.RecordLimit) {
        ++counters_.OverLimit;
        return RecordOutcome::OverLimit;
    }
    if (controls.RecordSI && state_.SampleCountdown != 0) {
        ++counters_.Sampling;
        return RecordOutcome::Sampling;
    }

    std::string key =
        reading.ValueText + reading.FunctionText + reading.UnitText + reading.RangeModeText;
    RecordOutcome outcome = RecordOutcome::Recorded;
    if (!controls.RepeatSet && key == state_.LastRecordKey) {
        ++counters_.Repeats;
        outcome = RecordOutcome::Repeat;
    } else {
        // Everything that can fail comes before the first change.
        const auto interval = ParseWholeNumber(controls.RecordSITime);
        if (!interval) throw InvalidIntegerError(controls.RecordSITime);
        const std::string time = TimeStamp(controls.RecallCheck);

        state_.LastRecordKey = std::move(key);
        state_.SampleCountdown = *interval;
        ++state_.RecordCount;
        if (holding_) {
            held_.push_back({state_.NextRecordNo, time, reading.FunctionText, reading.ValueText,
                             reading.UnitText, reading.JudgeText, CountsValue(reading.Counts)});
        } else {
            log_.AppendRow(state_.NextRecordNo, time, reading.FunctionText, reading.ValueText,
                           reading.UnitText, reading.JudgeText, CountsValue(reading.Counts));
        }
        ++state_.NextRecordNo;
        ++counters_.Recorded;
    }

    chart_.AddValue(reading.ScaledValue);
    ShowPageNo();
    return outcome;
}

void Recorder::TrecordTimer(bool RecordSI) {
    if (RecordSI && state_.SampleCountdown > 0) --state_.SampleCountdown;
}

void Recorder::SelectRecordLimit(RecordLimitItem item) {
    for (const auto& choice : kRecordLimitChoices) {
        if (choice.item == item) {
            state_.RecordLimit = choice.limit;
            checkedLimit_ = item;
        }
    }
}

bool Recorder::RecordNewClick() {
    if (dialogs_.Ask("Do you want to delete this record?") != Dialogs::Answer::Yes) return false;
    chart_.Clear();
    ShowPageNo();
    if (log_.RowCount() > 0) log_.Clear();
    state_.NextRecordNo = 1;
    state_.RecordCount = 0;
    window_.BtNewClick();
    return true;
}

void Recorder::ReleaseHeldRows() {
    holding_ = false;
    const std::vector<HeldRow> rows = std::exchange(held_, {});
    for (const HeldRow& row : rows) {
        log_.AppendRow(row.no, row.time, row.function, row.value, row.unit, row.judge, row.nval);
    }
}

void Recorder::ShowPageNo() {
    window_.SetBt10Caption(std::to_string(chart_.PageNo()));
}

}  // namespace varlo
