#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"
#include "common/Dialogs.h"
#include "decode/FrameAssembler.h"
#include "decode/MeterDecoder.h"
#include "decode/MeterVariant.h"
#include "decode/TraceSinks.h"
#include "recording/EditBox.h"
#include "recording/Limits.h"
#include "recording/LocalClock.h"
#include "recording/ReadingLog.h"
#include "recording/RecallClock.h"
#include "recording/Recorder.h"

namespace varlo {

// What the window shows of a session, told after the fact. Every call is
// optional; the command-line tool listens to none or a few.
class SessionView {
  public:
    virtual ~SessionView() = default;
    virtual void Beep() {}
    virtual void JudgeChanged() {}
    virtual void PageNoChanged() {}
    virtual void ChartRenewed() {}
    virtual void SeriesShown(int /*index*/) {}
};

// The states of the window's controls that the road of a frame reads, with
// the form's defaults. The edit boxes carry their key filters and change
// checks once the session has wired them.
struct SessionControls {
    EditBox T1HI{"22000"};
    EditBox T1LO{"-22000"};
    EditBox Setmax{"22000"};
    EditBox SetMin{"-22000"};
    EditBox RecordSITime{"10"};
    EditBox TimeH{"23"};
    EditBox TimeM{"59"};
    EditBox TimeS{"59"};
    EditBox TimeInt{"1"};
    bool SetMaxB = false;
    bool SetMinB = false;
    bool multirange = true;    // "Continue Record"
    bool BtFill = true;        // "Fill"
    bool RepeatSet = true;     // "Repeat"
    bool RecordSI = false;     // "Sampling Interval"
    bool RecallCheck = false;  // "RecallData"
};

// Judge display: the label, the circle and the reading box's colour.
enum class JudgeColour { None, Green, Red };

// One meter connection's worth of state, as the main window owns it: frame
// assembly and decoding, the per-reading follow-up (alarm, extremes, mode
// change, judgement), the reading log and its recorder, and the trend chart
// with its page controller. The window and varlo-cli drive the same object.
class MeterSession : private ReadingFollowUp,
                     private ChartYRange,
                     private RecordChart,
                     private RecordWindow {
  public:
    MeterSession(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
                 MeterVariant variant = {});
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;

    void SetView(SessionView* view) { view_ = view; }

    // The serial receive handler the variant installed (none, KESTODATA or
    // TRIVAData).
    void OnSerialData(const std::uint8_t* data, std::size_t size);
    // The USB report handler.
    void OnHidReport(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    // The 1000 ms tick of the sampling countdown.
    void TrecordTimer();
    // The user's locale changed: its separators and formats are read afresh.
    void LocaleChanged() {
        decoder.RefreshLocale();
        recorder.RefreshLocale();
    }

    // Chart operations of the window.
    void ShowSeries(int index);
    void ShowFillSeries() { ShowSeries(controls.BtFill ? 0 : 1); }
    void BtNewClick() override;

    // The window caption as start-up composes it.
    const std::string& Caption() const { return caption_; }
    const VariantSelection& Variant() const { return variant_; }

    // State that the window shows.
    SessionControls controls;
    std::string T1VALUEText = "0";
    std::string judgeCaption;
    JudgeColour judgeColour = JudgeColour::None;
    std::string MaxTextCaption;
    std::string MinTextCaption;
    std::string MaxTextUCaption;
    std::string MinTextUCaption;
    std::string Bt10Caption = "1";
    std::uint64_t beeps = 0;

    // Follow-up state kept between frames.
    std::string LastUnitText = "113";
    std::string LastFunctionText;
    int LastDecimalPointIndex = 0;
    float RunMax = -22001.0f;
    float RunMin = 22001.0f;
    std::string RunMaxText;
    std::string RunMinText;

    const LocaleSource& locale;
    RangeState range;
    TraceSinks traces;
    MeterDecoder decoder;
    FrameAssembler assembler;
    TrendChartModel chartModel;
    TChartControl chart;
    ReadingLog log;
    RecallClock recall;
    AlarmLimits alarms;
    Recorder recorder;

  private:
    void WireControls();

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
    void SetYMax(double value) override { chart.SetYMax(value); }
    void SetYMin(double value) override { chart.SetYMin(value); }

    // The chart and window as the recorder sees them.
    void AddValue(double value) override { chart.AddValue(value); }
    int PageNo() const override { return chart.GetPageNo(); }
    void Clear() override { chart.Clear(); }
    void SetBt10Caption(const std::string& caption) override;

    SessionView defaultView_;
    SessionView* view_ = &defaultView_;
    VariantSelection variant_;
    std::string caption_;
};

}  // namespace varlo
