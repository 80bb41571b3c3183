#include "followup/MeterSession.h"

#include <string_view>

#include "chart/ChartActions.h"
#include "common/VarloError.h"
#include "platform/SystemInfo.h"
#include "recording/NumberText.h"
#include "recording/RecordSITimeInput.h"

namespace varlo {

namespace {
constexpr int kStartPageSize = 100;
}  // namespace

MeterSession::MeterSession(const LocaleSource& localeSource, const LocalClock& clock,
                           Dialogs& dialogs, MeterVariant meterVariant)
    : locale(localeSource),
      decoder(traces, localeSource),
      assembler(traces, decoder),
      chart(chartModel, kStartPageSize),
      recall(clock, dialogs),
      alarms(range.FullScale),
      recorder(log, *this, *this, dialogs, clock, localeSource, &recall) {
    decoder.SetFollowUp(this);
    decoder.SetChartYRange(this);
    WireControls();

    // Start-up, in the window's order: the locale values are read by the
    // decoder with every frame; the recall time is the clock's now; the
    // range code "22" values, the remembered unit "113" and the empty log
    // are the members' start values.
    // Series choice: item 0, then the Fill option.
    ShowSeries(0);
    ShowFillSeries();
    // Meter variant: the serial handler and the caption base.
    variant_ = ApplyMeterVariant(meterVariant);
    caption_ = variant_.CaptionBase;
    // Range profile: a text that differs from the edit's runs its change
    // handler, which re-reads the alarm limit.
    RangeState profile = range;
    ApplyRangeProfile(kRangeCodeInForce, profile);
    range = profile;
    decoder.SetFullScale(range.FullScale);
    decoder.SetBarFull(range.BarFull);
    alarms.AlarmHigh = range.AlarmHigh;
    alarms.AlarmLow = range.AlarmLow;
    RunMax = range.RunMax;
    RunMin = range.RunMin;
    if (controls.Setmax.Text() != range.SetmaxText) {
        controls.Setmax.SetText(range.SetmaxText);
    }
    if (controls.SetMin.Text() != range.SetMinText) {
        controls.SetMin.SetText(range.SetMinText);
    }
    MinTextCaption = range.MinTextCaption;
    MaxTextCaption = range.MaxTextCaption;
    decoder.Panel().SetBarMax(range.BarMax);
    // The chart's Y axis spans the full scale.
    chart.SetYMax(static_cast<double>(range.FullScale));
    chart.SetYMin(-static_cast<double>(range.FullScale));
    caption_ += Is64BitX86System() ? "(x64)" : "(x86)";
}

void MeterSession::WireControls() {
    auto judgeFilter = [this](char32_t key) { return T1HIKeyPress(key, decoder.DecimalSep()); };
    auto judgeCheck = [this](EditBox& edit) { T1HIChange(edit, decoder.Format()); };
    for (EditBox* edit : {&controls.T1HI, &controls.T1LO}) {
        edit->SetKeyFilter(judgeFilter);
        edit->SetOnChange(judgeCheck);
    }
    controls.Setmax.SetKeyFilter(SetmaxKeyPress);
    controls.SetMin.SetKeyFilter(SetmaxKeyPress);
    controls.Setmax.SetOnChange([this](EditBox& edit) { alarms.SetmaxExit(edit.Text()); });
    controls.SetMin.SetOnChange([this](EditBox& edit) { alarms.SetMinExit(edit.Text()); });
    for (EditBox* edit : {&controls.RecordSITime, &controls.TimeH, &controls.TimeM, &controls.TimeS,
                          &controls.TimeInt}) {
        edit->SetKeyFilter(RecordSITimeKeyPress);
        edit->SetOnChange(RecordSITimeChange);
    }
}

void MeterSession::OnSerialData(const std::uint8_t* data, std::size_t size) {
    switch (variant_.Handler) {
        case SerialReceiveHandler::KESTODATA:
            assembler.KESTODATA(data, size);
            break;
        case SerialReceiveHandler::TRIVAData:
            assembler.TRIVAData(data, size);
            break;
        case SerialReceiveHandler::None:
            break;  // read and discarded
    }
}

void MeterSession::OnHidReport(std::uint8_t reportId, const std::uint8_t* data,
                               std::uint16_t size) {
    assembler.HidKestoData(reportId, data, size);
}

void MeterSession::TrecordTimer() {
    recorder.TrecordTimer(controls.RecordSI);
}

void MeterSession::ShowSeries(int index) {
    varlo::ShowSeries(chartModel, index);
    view_->SeriesShown(index);
}

void MeterSession::BtNewClick() {
    varlo::BtNewClick(chartModel, controls.BtFill);
    view_->ChartRenewed();
}

void MeterSession::SetBt10Caption(const std::string& caption) {
    Bt10Caption = caption;
    view_->PageNoChanged();
}

void MeterSession::NormaliseLimitTexts(const MeterDecoder& d) {
    // A limit typed while the locale used the other separator is brought to
    // this one; only the first occurrence is replaced.
    const std::string& sep = d.DecimalSep();
    const std::string other = sep == "." ? "," : ".";
    for (EditBox* edit : {&controls.T1HI, &controls.T1LO}) {
        std::string text = edit->Text();
        if (const auto at = text.find(other); at != std::string::npos) {
            text.replace(at, other.size(), sep);
            edit->SetText(text);
        }
    }
}

void MeterSession::SoundAlarm(const MeterDecoder& d) {
    const double counts = d.Reading().Counts;
    if ((counts > alarms.AlarmHigh && controls.SetMaxB) ||
        (counts < alarms.AlarmLow && controls.SetMinB)) {
        ++beeps;
        view_->Beep();
    }
}

void MeterSession::TrackExtremes(const MeterDecoder& d) {
    const MeterReading& reading = d.Reading();
    const bool modeChanged = reading.UnitText != LastUnitText ||
                             reading.DecimalPointIndex != LastDecimalPointIndex ||
                             reading.FunctionText != LastFunctionText;
    if (modeChanged) {
        ShowFillSeries();
        if (!controls.multirange) {
            BtNewClick();
        }
        LastUnitText = reading.UnitText;
        LastFunctionText = reading.FunctionText;
        RunMax = -static_cast<float>(d.FullScale());
        RunMin = static_cast<float>(d.FullScale());
        return;
    }
    if (reading.Counts >= RunMax) {
        RunMaxText = reading.ValueText;
        RunMax = static_cast<float>(reading.Counts);
    }
    if (reading.Counts <= RunMin) {
        RunMinText = reading.ValueText;
        RunMin = static_cast<float>(reading.Counts);
    }
}

void MeterSession::ShowExtremes(const MeterDecoder& d) {
    LastDecimalPointIndex = d.Reading().DecimalPointIndex;
    MaxTextCaption = RunMaxText;
    MinTextCaption = RunMinText;
    MaxTextUCaption = d.Reading().UnitText;
    MinTextUCaption = d.Reading().UnitText;
}

void MeterSession::AdvanceRecallClock(const MeterDecoder&) {
    recall.AdvanceRecallClock(controls.RecallCheck, controls.TimeInt.Text());
}

void MeterSession::ShowJudge(bool pass) {
    judgeColour = pass ? JudgeColour::Green : JudgeColour::Red;
    judgeCaption = pass ? "Pass" : "Fail";
    decoder.Reading().JudgeText = judgeCaption;
    view_->JudgeChanged();
}

void MeterSession::Judge(MeterDecoder& d) {
    const MeterReading& reading = d.Reading();
    const std::string& sep = d.Format().DecimalSeparator;
    T1VALUEText = reading.ValueText;
    const std::optional<double> x = ParseLocaleFloat(T1VALUEText, sep);
    if (!x) {
        // Not a number, such as the overload text "0L".
        ShowJudge(false);
        T1VALUEText = reading.ValueText;
        return;
    }
    const std::string_view frame = d.FrameText();
    const std::string_view digits = frame.size() >= 7 ? frame.substr(2, 5) : std::string_view{};
    const std::string_view codes = frame.size() >= 12 ? frame.substr(7, 5) : std::string_view{};
    auto usable = [](const std::string& text) {
        return !text.empty() && text != "-" && text != "+" && text != "-+" && text != "+-";
    };
    const std::string& hiText = controls.T1HI.Text();
    const std::string& loText = controls.T1LO.Text();
    if (digits != "22580" && !d.Bit(37) && !d.Bit(32) && usable(hiText) && usable(loText) &&
        codes != "B8089") {
        const std::optional<double> lo = ParseLocaleFloat(loText, sep);
        if (!lo) {
            throw InvalidFloatError(loText);
        }
        const std::optional<double> value = ParseLocaleFloat(T1VALUEText, sep);
        if (!value) {
            throw InvalidFloatError(T1VALUEText);
        }
        const std::optional<double> hi = ParseLocaleFloat(hiText, sep);
        if (!hi) {
            throw InvalidFloatError(hiText);
        }
        ShowJudge(!(*lo > *value) && !(*value > *hi));
    }
    if (digits == "22580" || codes == "B8089") {
        ShowJudge(false);
    }
    T1VALUEText = reading.ValueText;
}

void MeterSession::AppendToLog(const MeterDecoder& d) {
    RecordControls record;
    record.RepeatSet = controls.RepeatSet;
    record.RecordSI = controls.RecordSI;
    record.RecordSITime = controls.RecordSITime.Text();
    record.RecallCheck = controls.RecallCheck;
    recorder.INDataToTable(d.Reading(), record);
}

}  // namespace varlo
