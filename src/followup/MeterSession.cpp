#include "followup/MeterSession.h"

#include <string_view>

#include "common/VarloError.h"
#include "platform/SystemInfo.h"
#include "recording/NumberText.h"
#include "recording/RecordSITimeInput.h"

namespace varlo {

namespace {
constexpr int kStartPageSize = 100;
}  // namespace

MeterSession::MeterSession(const LocaleSource& localeSource, const LocalClock& clock,
                           Dialogs& dialogs, MeterVariant meterVariant,
                           std::unique_ptr<Timer> timer2)
    : locale_(localeSource),
      dialogs_(dialogs),
      variant_(ApplyMeterVariant(meterVariant)),
      decoder_(traces_, localeSource),
      assembler_(traces_, decoder_),
      chart_(chartModel_, kStartPageSize),
      recall_(clock, dialogs),
      alarms_(range_.FullScale),
      recorder_(log_, *this, *this, dialogs, clock, localeSource, &recall_),
      timer2_(timer2 ? std::move(timer2) : std::make_unique<ManualTimer>()) {
    decoder_.SetFollowUp(this);
    decoder_.SetChartYRange(this);
    decoder_.SetOnDecoded([this] { view_->FrameDecoded(); });
    // A frame abandoned by a failure has still changed the display.
    assembler_.SetErrorReport([this](const std::string& text) {
        dialogs_.ShowError(text);
        view_->FrameDecoded();
    });
    timer2_->setTimeout([this] { RunTimer2(); });
    WireControls();
    StartUp();
}

void MeterSession::WireControls() {
    // The judge limits' key filter takes the separator read with the locale.
    auto judgeFilter = [this](char32_t key) { return T1HIKeyPress(key, decoder_.DecimalSep()); };
    auto judgeCheck = [this](EditBox& edit) { T1HIChange(edit, decoder_.Format()); };
    for (EditBox* edit : {&controls_.T1HI, &controls_.T1LO}) {
        edit->SetKeyFilter(judgeFilter);
        edit->SetOnChange(judgeCheck);
    }
    controls_.Setmax.SetKeyFilter(SetmaxKeyPress);
    controls_.SetMin.SetKeyFilter(SetmaxKeyPress);
    controls_.Setmax.SetOnChange([this](EditBox&) { SetmaxExit(); });
    controls_.SetMin.SetOnChange([this](EditBox&) { SetMinExit(); });
    for (EditBox* edit : {&controls_.RecordSITime, &controls_.TimeH, &controls_.TimeM,
                          &controls_.TimeS, &controls_.TimeInt}) {
        edit->SetKeyFilter(RecordSITimeKeyPress);
        edit->SetOnChange(RecordSITimeChange);
    }
    controls_.Maxrecord.SetKeyFilter(RecordSITimeKeyPress);
    controls_.Maxrecord.SetOnChange([this](EditBox&) { MaxrecordChange(); });
}

void MeterSession::StartUp() {
    // In the window's order: the locale values were read by the decoder and
    // the recorder as they were built; the recall time is the clock's now;
    // the range code "22" values, the remembered unit "113" and the empty
    // log are the members' start values.
    // Series choice: item 0, then the Fill option.
    controls_.ComboBox1ItemIndex = 0;
    ShowSeries(0);
    ShowFillSeries();
    // Meter variant: the serial handler (chosen above) and the caption base.
    caption_ = variant_.CaptionBase;
    // Range profile: a text that differs from the edit's runs its change
    // handler, which re-reads the alarm limit.
    RangeState profile = range_;
    ApplyRangeProfile(kRangeCodeInForce, profile);
    range_ = profile;
    decoder_.SetFullScale(range_.FullScale);
    decoder_.SetBarFull(range_.BarFull);
    alarms_.AlarmHigh = range_.AlarmHigh;
    alarms_.AlarmLow = range_.AlarmLow;
    followUp_.RunMax = range_.RunMax;
    followUp_.RunMin = range_.RunMin;
    if (controls_.Setmax.Text() != range_.SetmaxText) {
        controls_.Setmax.SetText(range_.SetmaxText);
    }
    if (controls_.SetMin.Text() != range_.SetMinText) {
        controls_.SetMin.SetText(range_.SetMinText);
    }
    display_.MinTextCaption = range_.MinTextCaption;
    display_.MaxTextCaption = range_.MaxTextCaption;
    decoder_.Panel().SetBarMax(range_.BarMax);
    // The chart's Y axis spans the full scale.
    chart_.SetYMax(static_cast<double>(range_.FullScale));
    chart_.SetYMin(-static_cast<double>(range_.FullScale));
    caption_ += Is64BitX86System() ? "(x64)" : "(x86)";
}

void MeterSession::OnSerialData(const std::uint8_t* data, std::size_t size) {
    switch (variant_.Handler) {
        case SerialReceiveHandler::KESTODATA:
            assembler_.KESTODATA(data, size);
            break;
        case SerialReceiveHandler::TRIVAData:
            assembler_.TRIVAData(data, size);
            break;
        case SerialReceiveHandler::None:
            break;  // read and discarded
    }
}

void MeterSession::OnHidReport(std::uint8_t reportId, const std::uint8_t* data,
                               std::uint16_t size) {
    assembler_.HidKestoData(reportId, data, size);
}

void MeterSession::TrecordTimer() {
    recorder_.TrecordTimer(controls_.RecordSI);
}

void MeterSession::LocaleChanged() {
    decoder_.RefreshLocale();
    recorder_.RefreshLocale();
}

void MeterSession::SetBt10Caption(const std::string& caption) {
    display_.Bt10Caption = caption;
    view_->PageNoChanged();
}

void MeterSession::NormaliseLimitTexts(const MeterDecoder& d) {
    // A limit typed while the locale used the other separator is brought to
    // this one; only the first occurrence is replaced.
    const std::string& sep = d.DecimalSep();
    const std::string_view other = sep == "." ? "," : ".";
    for (EditBox* edit : {&controls_.T1HI, &controls_.T1LO}) {
        if (const auto at = edit->Text().find(other); at != std::string::npos) {
            std::string text = edit->Text();
            text.replace(at, other.size(), sep);
            edit->SetText(text);
        }
    }
}

void MeterSession::SoundAlarm(const MeterDecoder& d) {
    const double counts = d.Reading().Counts;
    if ((counts > alarms_.AlarmHigh && controls_.SetMaxB) ||
        (counts < alarms_.AlarmLow && controls_.SetMinB)) {
        ++display_.beeps;
        view_->Beep();
    }
}

void MeterSession::TrackExtremes(const MeterDecoder& d) {
    const MeterReading& reading = d.Reading();
    FollowUpState& s = followUp_;
    const bool modeChanged = reading.UnitText != s.LastUnitText ||
                             reading.DecimalPointIndex != s.LastDecimalPointIndex ||
                             reading.FunctionText != s.LastFunctionText;
    if (modeChanged) {
        ShowFillSeries();
        if (!controls_.multirange) {
            BtNewClick();
        }
        s.LastUnitText = reading.UnitText;
        s.LastFunctionText = reading.FunctionText;
        s.RunMax = -static_cast<float>(d.FullScale());
        s.RunMin = static_cast<float>(d.FullScale());
        return;
    }
    if (reading.Counts >= s.RunMax) {
        s.RunMaxText = reading.ValueText;
        s.RunMax = static_cast<float>(reading.Counts);
    }
    if (reading.Counts <= s.RunMin) {
        s.RunMinText = reading.ValueText;
        s.RunMin = static_cast<float>(reading.Counts);
    }
}

void MeterSession::ShowExtremes(const MeterDecoder& d) {
    followUp_.LastDecimalPointIndex = d.Reading().DecimalPointIndex;
    display_.MaxTextCaption = followUp_.RunMaxText;
    display_.MinTextCaption = followUp_.RunMinText;
    display_.MaxTextUCaption = d.Reading().UnitText;
    display_.MinTextUCaption = d.Reading().UnitText;
}

void MeterSession::AdvanceRecallClock(const MeterDecoder&) {
    recall_.AdvanceRecallClock(controls_.RecallCheck, controls_.TimeInt.Text());
}

void MeterSession::ShowJudge(bool pass) {
    display_.judgeColour = pass ? JudgeColour::Green : JudgeColour::Red;
    display_.judgeCaption = pass ? "Pass" : "Fail";
    decoder_.Reading().JudgeText = display_.judgeCaption;
    view_->JudgeChanged();
}

void MeterSession::Judge(MeterDecoder& d) {
    const MeterReading& reading = d.Reading();
    const std::string& sep = d.Format().DecimalSeparator;
    display_.T1VALUEText = reading.ValueText;
    const std::optional<double> x = ParseLocaleFloat(display_.T1VALUEText, sep);
    if (!x) {
        // Not a number, such as the overload text "0L".
        ShowJudge(false);
        display_.T1VALUEText = reading.ValueText;
        return;
    }
    const std::string_view frame = d.FrameText();
    const std::string_view digits = frame.size() >= 7 ? frame.substr(2, 5) : std::string_view{};
    const std::string_view codes = frame.size() >= 12 ? frame.substr(7, 5) : std::string_view{};
    auto usable = [](const std::string& text) {
        return !text.empty() && text != "-" && text != "+" && text != "-+" && text != "+-";
    };
    const std::string& hiText = controls_.T1HI.Text();
    const std::string& loText = controls_.T1LO.Text();
    if (digits != "22580" && !d.Bit(37) && !d.Bit(32) && usable(hiText) && usable(loText) &&
        codes != "B8089") {
        const std::optional<double> lo = ParseLocaleFloat(loText, sep);
        if (!lo) {
            throw InvalidFloatError(loText);
        }
        const std::optional<double> value = ParseLocaleFloat(display_.T1VALUEText, sep);
        if (!value) {
            throw InvalidFloatError(display_.T1VALUEText);
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
    display_.T1VALUEText = reading.ValueText;
}

void MeterSession::AppendToLog(const MeterDecoder& d) {
    RecordControls record;
    record.RepeatSet = controls_.RepeatSet;
    record.RecordSI = controls_.RecordSI;
    record.RecordSITime = controls_.RecordSITime.Text();
    record.RecallCheck = controls_.RecallCheck;
    recorder_.INDataToTable(d.Reading(), record);
}

}  // namespace varlo
