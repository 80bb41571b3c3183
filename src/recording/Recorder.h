#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Dialogs.h"
#include "decode/Locale.h"
#include "decode/MeterReading.h"
#include "recording/LocalClock.h"
#include "recording/ReadingLog.h"

namespace varlo {

class RecallClock;

// What the recorder needs of the trend chart.
class RecordChart {
  public:
    virtual ~RecordChart() = default;
    virtual void AddValue(double value) = 0;  // may move the chart to a new page
    virtual int PageNo() const = 0;
    virtual void Clear() = 0;  // drops the stored points
};

// What the recorder asks of the window.
class RecordWindow {
  public:
    virtual ~RecordWindow() = default;
    virtual void SetBt10Caption(const std::string& caption) = 0;  // the chart page number
    virtual void BtNewClick() = 0;  // the chart's New action, as if BtNew were clicked
};

// The recording state, alive for the whole run.
struct RecordingState {
    std::int32_t RecordLimit = 10000;
    std::int32_t RecordCount = 0;      // rows recorded since start-up or the last clear
    std::int32_t NextRecordNo = 1;     // No of the next recorded row
    std::int32_t SampleCountdown = 0;  // whole seconds before sampling admits a frame
    std::string LastRecordKey;         // value + function + unit + range mode of the last row
};

// The states of the window's controls that recording reads, per frame.
struct RecordControls {
    bool RepeatSet = true;            // "Repeat"
    bool RecordSI = false;            // "Sampling Interval"
    std::string RecordSITime = "10";  // the interval in whole seconds
    bool RecallCheck = false;         // "RecallData": rows carry the recall clock's time
};

// The record-limit menu items, a radio group.
enum class RecordLimitItem { N10001, N50001, N100001, N500001, N1000001, limitess };

struct RecordLimitChoice {
    RecordLimitItem item;
    std::string_view name;     // the menu item's name
    std::string_view caption;  // as shown under "Record"
    std::int32_t limit;
};

inline constexpr std::array<RecordLimitChoice, 6> kRecordLimitChoices = {{
    {RecordLimitItem::N10001, "N10001", "1000", 1000},
    {RecordLimitItem::N50001, "N50001", "5000", 5000},
    {RecordLimitItem::N100001, "N100001", "10000", 10000},
    {RecordLimitItem::N500001, "N500001", "50000", 50000},
    {RecordLimitItem::N1000001, "N1000001", "100000", 100000},
    {RecordLimitItem::limitess, "limitess", "limitless", 10000000},
}};

// What became of one frame.
enum class RecordOutcome {
    Recorded,   // a row was appended and the chart got the point
    Repeat,     // same reading as the last row with Repeat off: chart point only
    OverLimit,  // the record limit is reached: dropped
    Sampling,   // the sampling interval has not passed: dropped
};

// Frames counted by what became of them, since start-up.
struct RecordCounters {
    std::uint64_t Recorded = 0;
    std::uint64_t OverLimit = 0;  // dropped by the record limit
    std::uint64_t Sampling = 0;   // dropped by the sampling countdown
    std::uint64_t Repeats = 0;    // readings suppressed as repeats (the chart still got them)
};

// Admits decoded readings into the reading log and the chart.
class Recorder {
  public:
    // `recall` gives the time of rows recorded while RecallCheck is checked;
    // without it rows always carry the local time.
    Recorder(ReadingLog& log, RecordChart& chart, RecordWindow& window, Dialogs& dialogs,
             const LocalClock& clock, const LocaleSource& locale,
             const RecallClock* recall = nullptr);

    RecordingState& State() { return state_; }
    const RecordingState& State() const { return state_; }
    const RecordCounters& Counters() const { return counters_; }

    // Once per decoded frame, after the judgement. The record limit and the
    // sampling countdown may drop the frame; otherwise the reading becomes a
    // row (unless it repeats the last row with Repeat off) and its scaled
    // value goes to the chart. A RecordSITime that is not a whole number
    // raises the "not a valid integer value" error before anything changes.
    RecordOutcome INDataToTable(const MeterReading& reading, const RecordControls& controls);

    // Tick of Trecord (every second): counts SampleCountdown down while
    // sampling is on.
    void TrecordTimer(bool RecordSI);

    // True while the record limit stops recording: RecordCount has reached
    // RecordLimit, so every frame is dropped until the log is cleared or the
    // limit raised.
    bool LimitReached() const { return state_.RecordCount >= state_.RecordLimit; }

    // The record-limit menu: sets RecordLimit and checks this item only.
    void SelectRecordLimit(RecordLimitItem item);
    RecordLimitItem CheckedRecordLimit() const { return checkedLimit_; }
    bool IsChecked(RecordLimitItem item) const { return checkedLimit_ == item; }
    void N10001Click() { SelectRecordLimit(RecordLimitItem::N10001); }
    void N50001Click() { SelectRecordLimit(RecordLimitItem::N50001); }
    void N100001Click() { SelectRecordLimit(RecordLimitItem::N100001); }
    void N500001Click() { SelectRecordLimit(RecordLimitItem::N500001); }
    void N1000001Click() { SelectRecordLimit(RecordLimitItem::N1000001); }
    void limitessClick() { SelectRecordLimit(RecordLimitItem::limitess); }

    // Record / New and the RecordNew button: after the user confirms, clears
    // the chart and the log and restarts the numbering. Returns whether it
    // cleared.
    bool RecordNewClick();

    // The row time stamp: "hh:mm:ss" with the locale's time separator, from
    // the recall clock while RecallCheck is checked, else the local time.
    std::string TimeStamp(bool RecallCheck) const;

    // Reads the locale's time separator afresh (read once at construction;
    // the locale-change event calls this).
    void RefreshLocale();

    // While rows are held (a table file is being loaded into the log, which
    // nothing else may change meanwhile), recorded rows wait aside in their
    // order; admission, counting, numbering and the chart go on as ever.
    // Releasing appends the waiting rows to the log, each announced.
    void HoldRows() { holding_ = true; }
    void ReleaseHeldRows();
    bool HoldingRows() const { return holding_; }

  private:
    struct HeldRow {
        std::int32_t no;
        std::string time, function, value, unit, judge;
        std::int32_t nval;
    };

    void ShowPageNo();

    ReadingLog& log_;
    RecordChart& chart_;
    RecordWindow& window_;
    Dialogs& dialogs_;
    const LocalClock& clock_;
    const LocaleSource& locale_;
    std::string timeSeparator_;
    const RecallClock* recall_;
    RecordingState state_;
    RecordCounters counters_;
    RecordLimitItem checkedLimit_ = RecordLimitItem::N100001;
    bool holding_ = false;
    std::vector<HeldRow> held_;
};

}  // namespace varlo
