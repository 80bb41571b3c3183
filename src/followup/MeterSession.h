#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"
#include "common/Dialogs.h"
#include "common/Timer.h"
#include "decode/FrameAssembler.h"
#include "decode/MeterDecoder.h"
#include "decode/MeterVariant.h"
#include "decode/TraceSinks.h"
#include "followup/SessionControls.h"
#include "recording/Limits.h"
#include "recording/LocalClock.h"
#include "recording/ReadingLog.h"
#include "recording/RecallClock.h"
#include "recording/Recorder.h"
#include "recording/TableFileJob.h"

namespace varlo {

// What the window shows of a session, told after the fact. Every call is
// optional; the command-line tool listens to none or a few.
class SessionView {
  public:
    virtual ~SessionView() = default;
    // After every frame the decoder took up, decoded to its end or abandoned
    // by an error: the panel, the reading, the display texts, the log and the
    // chart show what it did. The one notice a view needs per frame.
    virtual void FrameDecoded() {}
    // Control states the session changed itself: check marks (Fill, the
    // record limit), the time edits' texts, the chooser's item.
    virtual void ControlsChanged() {}
    virtual void Beep() {}
    virtual void JudgeChanged() {}
    virtual void PageNoChanged() {}
    virtual void ChartRenewed() {}
    virtual void SeriesShown(int /*index*/) {}
};

// One meter connection's worth of state, as the main window owns it: frame
// assembly and decoding, the per-reading follow-up (alarm, extremes, mode
// change, judgement), the reading log and its recorder, and the trend chart
// with its page controller. The window and varlo-cli drive the same object,
// through one method per user action on its controls.
//
// A method that fails the way a handler of the window fails (a text that is
// not a number, a refused axis limit) throws VarloError with the message the
// general error report shows; the rest of that action is skipped. Failures
// inside a frame and of Timer2's tick are shown through Dialogs::ShowError.
class MeterSession : private ReadingFollowUp,
                     private ChartYRange,
                     private RecordChart,
                     private RecordWindow {
  public:
    // `timer2` is the page-size delay's timer; without one the delay runs
    // only when Timer2Timer is called.
    MeterSession(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
                 MeterVariant variant = {}, std::unique_ptr<Timer> timer2 = nullptr);
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;

    void SetView(SessionView* view) { view_ = view ? view : &defaultView_; }
    // The grid's model hears of rows appended and of resets.
    void SetLogObserver(ReadingLogObserver* observer) { log_.SetObserver(observer); }

    // --- Data from the meter and the clocks.
    // The serial receive handler the variant installed (none, KESTODATA or
    // TRIVAData).
    void OnSerialData(const std::uint8_t* data, std::size_t size);
    // The USB report handler.
    void OnHidReport(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    // The 1000 ms tick of the sampling countdown.
    void TrecordTimer();
    // The user's locale changed: its separators and formats are read afresh.
    // Frames in between use the values read last.
    void LocaleChanged();

    // --- Edit boxes. A key goes through the box's key filter (false: the
    // key is refused and nothing changes) and the change check; setting a
    // text (paste, cut, undo) runs the change check. Setmax and SetMin then
    // run SetmaxExit / SetMinExit, Maxrecord MaxrecordChange.
    bool EditKeyPress(SessionEdit edit, char32_t key);
    void EditSetText(SessionEdit edit, std::string_view text);
    void EditSelect(SessionEdit edit, std::size_t start, std::size_t length);
    // Key release in TimeH, TimeM or TimeS: range check, "Input error!" for
    // a value beyond it, then ControlsChanged.
    void TimeHKeyUp();
    // AlarmHigh / AlarmLow := the value of Setmax / SetMin.
    void SetmaxExit();
    void SetMinExit();

    // --- Check boxes: a click sets the box to `checked` and runs its
    // handler.
    void SetMaxBClick(bool checked);  // SetmaxExit
    void SetMinBClick(bool checked);  // SetMinExit
    // Resets the time edits ("00" checked, "23:59:59" unchecked) and loads
    // the recall clock from them; ControlsChanged.
    void RecallCheckClick(bool checked);
    // Focus leaving RecallCheck: loads the recall clock from the time edits.
    void RecallCheckExit();
    // "Fill", "Repeat", "Continue Record": btFillClick.
    void BtFillClick(bool checked);
    void RepeatSetClick(bool checked);
    void multirangeClick(bool checked);
    // "Sampling Interval": no handler.
    void RecordSIClick(bool checked);
    // The handler the three boxes share: reads BtFill only; the menu item
    // Fill follows it and the chosen series shows; ControlsChanged.
    void btFillClick();

    // --- Menu "Record". Each limit item sets the limit and its check mark;
    // ControlsChanged.
    void N10001Click() { RecordLimitClick(RecordLimitItem::N10001); }
    void N50001Click() { RecordLimitClick(RecordLimitItem::N50001); }
    void N100001Click() { RecordLimitClick(RecordLimitItem::N100001); }
    void N500001Click() { RecordLimitClick(RecordLimitItem::N500001); }
    void N1000001Click() { RecordLimitClick(RecordLimitItem::N1000001); }
    void limitessClick() { RecordLimitClick(RecordLimitItem::limitess); }
    void RecordLimitClick(RecordLimitItem item);
    // Asks "Do you want to delete this record?"; on Yes clears the chart and
    // the log, restarts the numbering and runs BtNewClick. Returns whether it
    // cleared.
    bool RecordNewClick();

    // --- Chart.
    // "New": every series gets a placeholder, the chooser item 0, then the
    // Fill choice shows; ChartRenewed, ControlsChanged.
    void BtNewClick() override;
    // Menu "Graphic" / "Fill": toggles Fill and BtFill together;
    // ControlsChanged.
    void FillClick();
    // The hidden chooser picked an item: that series shows.
    void ComboBox1Change(int itemIndex);
    void ShowSeries(int index);
    // Paging; PageNoChanged follows each.
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    // A change of the page size restarts Timer2's 2000 ms delay.
    void MaxrecordChange();
    // Timer2's tick: stops it and applies Maxrecord as the page size;
    // PageNoChanged. A text that is no 32-bit integer, or a size below 1,
    // throws and leaves the page size as it was.
    void Timer2Timer();

    // --- Table files: the save and open commands with the chosen name, in
    // one call.
    bool saveasClick(const std::string& fileName);
    bool SpeedButton2Click(const std::string& fileName);
    // The same commands as jobs that run in steps, for the window, which
    // serves its events between them (frames go on meanwhile). A save writes
    // the rows the log holds when it starts. Rows recorded while a load runs
    // wait aside and follow the loaded rows when it ends (after the log as it
    // was, should it fail or be cancelled). While a job holds the log,
    // nothing else changes it: another job is not started (nullptr), the
    // one-call commands above and Record New refuse (false, without a
    // question). A job must not outlive the session.
    std::unique_ptr<TableFileJob> StartSaveJob(const std::string& fileName);
    std::unique_ptr<TableFileJob> StartOpenJob(const std::string& fileName);
    bool FileJobRunning() const { return fileJobRunning_; }

    // --- What the window shows, read-only.
    const LcdPanel& Panel() const { return decoder_.Panel(); }
    const MeterReading& Reading() const { return decoder_.Reading(); }
    const SessionControls& Controls() const { return controls_; }
    const SessionDisplay& Display() const { return display_; }
    const FollowUpState& FollowUp() const { return followUp_; }
    const ReadingLog& Log() const { return log_; }
    const TrendChartModel& ChartModel() const { return chartModel_; }
    const TChartControl& Chart() const { return chart_; }
    const TraceSinks& Traces() const { return traces_; }
    const MeterDecoder& Decoder() const { return decoder_; }
    const FrameAssembler& Assembler() const { return assembler_; }
    const RecordingState& Recording() const { return recorder_.State(); }
    const RecordCounters& Counters() const { return recorder_.Counters(); }
    RecordLimitItem CheckedRecordLimit() const { return recorder_.CheckedRecordLimit(); }
    // The record limit stops recording until the log is cleared or the
    // limit raised.
    bool RecordLimitReached() const { return recorder_.LimitReached(); }
    const AlarmLimits& Alarms() const { return alarms_; }
    const RecallClock& Recall() const { return recall_; }
    const RangeState& Range() const { return range_; }
    const Timer& Timer2() const { return *timer2_; }
    // The window caption as start-up composes it.
    const std::string& Caption() const { return caption_; }
    const VariantSelection& Variant() const { return variant_; }

    // --- The links' side: the cable's bytes and reports go in here, and the
    // connection watchdog counts idle ticks on the link indicator.
    FrameAssembler& Assembler() { return assembler_; }
    const LinkIndicator& Link() const { return decoder_.Link(); }
    LinkIndicator& Link() { return decoder_.Link(); }
    // The LCD's data-received picture (LCDsend) is the links' too: USB
    // Connect shows it, USB Disconnect hides it.
    LcdPanel& LinkPanel() { return decoder_.Panel(); }
    // The USB history list, which the report handlers and the USB device
    // list write to.
    LineSink& HistoryListBox() { return traces_.HistoryListBox; }

  private:
    // Tests put texts into the boxes past their checks, to reach the
    // follow-up's guards that no typed text reaches.
    friend struct SessionTestAccess;

    void WireControls();
    void StartUp();
    void ShowPageNo();
    void ShowFillSeries() { ShowSeries(controls_.BtFill ? 0 : 1); }
    void RunTimer2();

    // The follow-up inside the decoding of a frame.
    void NormaliseLimitTexts(const MeterDecoder& decoder) override;
    void SoundAlarm(const MeterDecoder& decoder) override;
    void TrackExtremes(const MeterDecoder& decoder) override;
    void ShowExtremes(const MeterDecoder& decoder) override;
    void AdvanceRecallClock(const MeterDecoder& decoder) override;
    void Judge(MeterDecoder& decoder) override;
    void AppendToLog(const MeterDecoder& decoder) override;
    void ShowJudge(bool pass);

    // The chart's Y range, asked by the decoder.
    void SetYMax(double value) override { chart_.SetYMax(value); }
    void SetYMin(double value) override { chart_.SetYMin(value); }

    // The chart and window as the recorder sees them.
    void AddValue(double value) override { chart_.AddValue(value); }
    int PageNo() const override { return chart_.GetPageNo(); }
    void Clear() override { chart_.Clear(); }
    void SetBt10Caption(const std::string& caption) override;

    const LocaleSource& locale_;
    Dialogs& dialogs_;
    SessionView defaultView_;
    SessionView* view_ = &defaultView_;
    VariantSelection variant_;
    std::string caption_;

    SessionControls controls_;
    SessionDisplay display_;
    FollowUpState followUp_;
    RangeState range_;
    TraceSinks traces_;
    MeterDecoder decoder_;
    FrameAssembler assembler_;
    TrendChartModel chartModel_;
    TChartControl chart_;
    ReadingLog log_;
    RecallClock recall_;
    AlarmLimits alarms_;
    Recorder recorder_;
    std::unique_ptr<Timer> timer2_;
    bool fileJobRunning_ = false;  // a table-file job holds the log
};

}  // namespace varlo
