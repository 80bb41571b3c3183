// The user's actions on the session's controls: edit boxes, check boxes, the
// "Record" menu, the chart's buttons and the table files.
#include <string>

#include "chart/ChartActions.h"
#include "common/VarloError.h"
#include "followup/MeterSession.h"
#include "recording/NumberText.h"
#include "recording/TableFiles.h"

namespace varlo {

namespace {
constexpr int kTimer2IntervalMs = 2000;
}  // namespace

bool MeterSession::EditKeyPress(SessionEdit edit, char32_t key) {
    return controls_.Edit(edit).KeyPress(key);
}

void MeterSession::EditSetText(SessionEdit edit, std::string_view text) {
    controls_.Edit(edit).SetText(text);
}

void MeterSession::EditSelect(SessionEdit edit, std::size_t start, std::size_t length) {
    controls_.Edit(edit).Select(start, length);
}

void MeterSession::TimeHKeyUp() {
    recall_.TimeHKeyUp(controls_.TimeH, controls_.TimeM, controls_.TimeS);
    view_->ControlsChanged();
}

void MeterSession::SetmaxExit() {
    alarms_.SetmaxExit(controls_.Setmax.Text());
}

void MeterSession::SetMinExit() {
    alarms_.SetMinExit(controls_.SetMin.Text());
}

void MeterSession::SetMaxBClick(bool checked) {
    controls_.SetMaxB = checked;
    SetmaxExit();
}

void MeterSession::SetMinBClick(bool checked) {
    controls_.SetMinB = checked;
    SetMinExit();
}

void MeterSession::RecallCheckClick(bool checked) {
    controls_.RecallCheck = checked;
    recall_.RecallCheckClick(checked, controls_.TimeH, controls_.TimeM, controls_.TimeS);
    view_->ControlsChanged();
}

void MeterSession::RecallCheckExit() {
    recall_.RecallCheckExit(controls_.TimeH.Text(), controls_.TimeM.Text(), controls_.TimeS.Text());
}

void MeterSession::BtFillClick(bool checked) {
    controls_.BtFill = checked;
    btFillClick();
}

void MeterSession::RepeatSetClick(bool checked) {
    controls_.RepeatSet = checked;
    btFillClick();
}

void MeterSession::multirangeClick(bool checked) {
    controls_.multirange = checked;
    btFillClick();
}

void MeterSession::RecordSIClick(bool checked) {
    controls_.RecordSI = checked;
}

void MeterSession::btFillClick() {
    controls_.Fill = controls_.BtFill;
    ShowFillSeries();
    view_->ControlsChanged();
}

void MeterSession::RecordLimitClick(RecordLimitItem item) {
    recorder_.SelectRecordLimit(item);
    view_->ControlsChanged();
}

bool MeterSession::RecordNewClick() {
    if (fileJobRunning_) return false;
    return recorder_.RecordNewClick();
}

void MeterSession::BtNewClick() {
    varlo::BtNewClick(chartModel_, controls_.BtFill);
    controls_.ComboBox1ItemIndex = 0;
    view_->ChartRenewed();
    view_->ControlsChanged();
}

void MeterSession::FillClick() {
    const bool fill = !controls_.BtFill;
    controls_.BtFill = fill;
    controls_.Fill = fill;
    ShowSeries(fill ? 0 : 1);
    view_->ControlsChanged();
}

void MeterSession::ComboBox1Change(int itemIndex) {
    ShowSeries(itemIndex);
    controls_.ComboBox1ItemIndex = itemIndex;
}

void MeterSession::ShowSeries(int index) {
    varlo::ShowSeries(chartModel_, index);
    view_->SeriesShown(index);
}

void MeterSession::ShowPageNo() {
    SetBt10Caption(std::to_string(chart_.GetPageNo()));
}

void MeterSession::BtFirstClick() {
    chart_.FirstPage();
    ShowPageNo();
}

void MeterSession::BTPreviousClick() {
    chart_.PriorPage();
    ShowPageNo();
}

void MeterSession::BtNextClick() {
    chart_.NextPage();
    ShowPageNo();
}

void MeterSession::BTlastClick() {
    chart_.LastPage();
    ShowPageNo();
}

void MeterSession::MaxrecordChange() {
    timer2_->stop();
    timer2_->start(kTimer2IntervalMs);
}

void MeterSession::Timer2Timer() {
    timer2_->stop();
    const std::string& text = controls_.Maxrecord.Text();
    const std::optional<std::int32_t> size = ParseInt32(text);
    if (!size) {
        throw InvalidIntegerError(text);
    }
    chart_.SetPageSize(*size);
    ShowPageNo();
}

void MeterSession::RunTimer2() {
    // The tick comes from the timer, not from a handler of the window: its
    // failure is shown here.
    try {
        Timer2Timer();
    } catch (const VarloError& error) {
        dialogs_.ShowError(error.what());
    }
}

bool MeterSession::saveasClick(const std::string& fileName) {
    const auto job = StartSaveJob(fileName);
    return job && job->Run();
}

bool MeterSession::SpeedButton2Click(const std::string& fileName) {
    const auto job = StartOpenJob(fileName);
    return job && job->Run();
}

std::unique_ptr<TableFileJob> MeterSession::StartSaveJob(const std::string& fileName) {
    if (fileJobRunning_) return nullptr;
    // Rows recorded meanwhile go after the rows saved: nothing to hold.
    auto job = MakeSaveJob(log_, fileName, dialogs_, [this] { fileJobRunning_ = false; });
    fileJobRunning_ = true;
    return job;
}

std::unique_ptr<TableFileJob> MeterSession::StartOpenJob(const std::string& fileName) {
    if (fileJobRunning_) return nullptr;
    auto job = MakeOpenJob(log_, fileName, dialogs_, [this] {
        fileJobRunning_ = false;
        recorder_.ReleaseHeldRows();
    });
    fileJobRunning_ = true;
    recorder_.HoldRows();
    return job;
}

}  // namespace varlo
