#include <gtest/gtest.h>

#include "Fakes.h"
#include "common/VarloError.h"
#include "recording/RecallClock.h"
#include "recording/Recorder.h"

namespace varlo {
namespace {

using testing::RecordingDialogs;
using testing_fakes::FakeChart;
using testing_fakes::FakeWindow;

MeterReading Reading(std::string value, double scaled = 1.0, std::string range = "AUTO") {
    MeterReading reading;
    reading.ValueText = std::move(value);
    reading.FunctionText = "DC";
    reading.UnitText = "V";
    reading.RangeModeText = std::move(range);
    reading.Counts = 123;
    reading.ScaledValue = scaled;
    reading.JudgeText = "Pass";
    return reading;
}

class RecorderTest : public ::testing::Test {
  protected:
    RecorderTest() { clock.Set({2026, 3, 4, 9, 5, 7, 450}); }

    // Runs `frames` frames of the same reading; returns how many were recorded.
    int Frames(int frames, const MeterReading& reading) {
        int recorded = 0;
        for (int i = 0; i < frames; ++i) {
            if (recorder.INDataToTable(reading, controls) == RecordOutcome::Recorded) ++recorded;
        }
        return recorded;
    }

    ReadingLog log;
    FakeChart chart;
    FakeWindow window;
    RecordingDialogs dialogs;
    FixedLocalClock clock;
    FixedLocale locale;
    RecallClock recall{clock, dialogs};
    Recorder recorder{log, chart, window, dialogs, clock, locale, &recall};
    RecordControls controls;
};

TEST_F(RecorderTest, RecordsTheRowAndThePoint) {
    MeterReading reading = Reading("-1.2345", -1.2345);
    reading.Counts = -12345;
    reading.JudgeText = "Fail";
    EXPECT_EQ(recorder.INDataToTable(reading, controls), RecordOutcome::Recorded);

    ASSERT_EQ(log.RowCount(), 1u);
    EXPECT_EQ(log.Int(0, ReadingLog::kNo), 1);
    EXPECT_EQ(log.Text(0, ReadingLog::kTime), "09:05:07");
    EXPECT_EQ(log.Text(0, ReadingLog::kFunction), "DC");
    EXPECT_EQ(log.Text(0, ReadingLog::kValue), "-1.2345");
    EXPECT_EQ(log.Text(0, ReadingLog::kUnit), "V");
    EXPECT_EQ(log.Text(0, ReadingLog::kAuto), "Fail");
    EXPECT_EQ(log.Int(0, ReadingLog::kNVal), -12345);
    EXPECT_EQ(chart.points, std::vector<double>{-1.2345});
    EXPECT_EQ(window.bt10, "1");
    const RecordingState& state = recorder.State();
    EXPECT_EQ(state.RecordCount, 1);
    EXPECT_EQ(state.NextRecordNo, 2);
    EXPECT_EQ(state.SampleCountdown, 10);  // reloaded although sampling is off
    EXPECT_EQ(state.LastRecordKey, "-1.2345DCVAUTO");
}

TEST_F(RecorderTest, TimeUsesTheLocaleSeparatorOrAColon) {
    locale.Set(LocaleFormat{.TimeSeparator = "."});
    recorder.RefreshLocale();
    recorder.INDataToTable(Reading("1"), controls);
    locale.Set(LocaleFormat{.TimeSeparator = ""});
    recorder.RefreshLocale();
    clock.Set({2026, 3, 4, 23, 0, 59, 999});
    recorder.INDataToTable(Reading("2"), controls);
    EXPECT_EQ(log.Text(0, ReadingLog::kTime), "09.05.07");
    EXPECT_EQ(log.Text(1, ReadingLog::kTime), "23:00:59");
}

TEST_F(RecorderTest, LimitAdmitsExactlyThatManyRows) {
    recorder.N10001Click();
    EXPECT_EQ(Frames(1005, Reading("00.123")), 1000);
    EXPECT_EQ(log.RowCount(), 1000u);
    EXPECT_EQ(log.Int(999, ReadingLog::kNo), 1000);
    EXPECT_EQ(chart.points.size(), 1000u);  // dropped frames reach the chart neither
    EXPECT_TRUE(recorder.LimitReached());
    EXPECT_EQ(recorder.Counters().OverLimit, 5u);
    EXPECT_EQ(window.bt10, "10");

    // Raising the limit lets recording go on.
    recorder.N50001Click();
    EXPECT_FALSE(recorder.LimitReached());
    EXPECT_EQ(Frames(1, Reading("00.124")), 1);
}

TEST_F(RecorderTest, LoweringTheLimitBelowTheCountStopsRecordingUntilCleared) {
    EXPECT_EQ(Frames(1200, Reading("1")), 1200);
    recorder.N10001Click();
    EXPECT_EQ(log.RowCount(), 1200u);  // existing rows stay
    EXPECT_TRUE(recorder.LimitReached());
    EXPECT_EQ(Frames(3, Reading("1")), 0);

    dialogs.answers = {Dialogs::Answer::Yes};
    ASSERT_TRUE(recorder.RecordNewClick());
    EXPECT_FALSE(recorder.LimitReached());
    EXPECT_EQ(Frames(1, Reading("1")), 1);
    EXPECT_EQ(log.Int(0, ReadingLog::kNo), 1);
}

TEST_F(RecorderTest, LimitMenuIsARadioGroup) {
    EXPECT_EQ(recorder.State().RecordLimit, 10000);
    EXPECT_EQ(recorder.CheckedRecordLimit(), RecordLimitItem::N100001);
    const std::vector<std::pair<void (Recorder::*)(), std::int32_t>> clicks = {
        {&Recorder::N10001Click, 1000},     {&Recorder::N50001Click, 5000},
        {&Recorder::N100001Click, 10000},   {&Recorder::N500001Click, 50000},
        {&Recorder::N1000001Click, 100000}, {&Recorder::limitessClick, 10000000}};
    for (std::size_t i = 0; i < clicks.size(); ++i) {
        (recorder.*clicks[i].first)();
        EXPECT_EQ(recorder.State().RecordLimit, clicks[i].second);
        for (std::size_t j = 0; j < kRecordLimitChoices.size(); ++j) {
            EXPECT_EQ(recorder.IsChecked(kRecordLimitChoices[j].item), i == j) << i << " " << j;
        }
    }
}

TEST_F(RecorderTest, RepeatOffSuppressesTheSameReadingButNotItsChartPoint) {
    controls.RepeatSet = false;
    EXPECT_EQ(Frames(5, Reading("00.123")), 1);
    EXPECT_EQ(chart.points.size(), 5u);
    EXPECT_EQ(recorder.Counters().Repeats, 4u);
    // A change of the range mode alone is another reading.
    EXPECT_EQ(Frames(2, Reading("00.123", 1.0, "MANU")), 1);
    EXPECT_EQ(Frames(1, Reading("00.123")), 1);
    EXPECT_EQ(log.RowCount(), 3u);
    EXPECT_EQ(log.Int(2, ReadingLog::kNo), 3);
}

TEST_F(RecorderTest, RepeatOnRecordsEveryFrame) {
    EXPECT_EQ(Frames(4, Reading("00.123")), 4);
    EXPECT_EQ(recorder.Counters().Repeats, 0u);
}

TEST_F(RecorderTest, LastKeySurvivesAClear) {
    controls.RepeatSet = false;
    Frames(1, Reading("5"));
    dialogs.answers = {Dialogs::Answer::Yes};
    recorder.RecordNewClick();
    EXPECT_EQ(Frames(3, Reading("5")), 0);
    EXPECT_EQ(Frames(1, Reading("6")), 1);
    EXPECT_EQ(log.Int(0, ReadingLog::kNo), 1);
}

TEST_F(RecorderTest, SamplingWaitsTheIntervalInTicks) {
    controls.RecordSI = true;
    controls.RecordSITime = "10";
    EXPECT_EQ(Frames(1, Reading("1")), 1);
    for (int tick = 1; tick <= 10; ++tick) {
        EXPECT_EQ(Frames(2, Reading("1")), 0) << "before tick " << tick;
        recorder.TrecordTimer(controls.RecordSI);
    }
    EXPECT_EQ(Frames(1, Reading("1")), 1);
    EXPECT_EQ(log.RowCount(), 2u);
    EXPECT_EQ(chart.points.size(), 2u);  // sampled-out frames miss the chart too
    EXPECT_EQ(recorder.Counters().Sampling, 20u);
}

TEST_F(RecorderTest, SamplingIntervalZeroRecordsEveryFrame) {
    controls.RecordSI = true;
    controls.RecordSITime = "0";
    EXPECT_EQ(Frames(6, Reading("1")), 6);
}

TEST_F(RecorderTest, CountdownLoadedWhileSamplingWasOffDelaysTheFirstSample) {
    controls.RecordSITime = "3";
    Frames(1, Reading("1"));       // sampling off: recorded, countdown reloaded to 3
    recorder.TrecordTimer(false);  // ticks do not count while sampling is off
    controls.RecordSI = true;
    EXPECT_EQ(Frames(1, Reading("1")), 0);
    for (int i = 0; i < 3; ++i) recorder.TrecordTimer(true);
    EXPECT_EQ(recorder.State().SampleCountdown, 0);
    recorder.TrecordTimer(true);  // never below 0
    EXPECT_EQ(recorder.State().SampleCountdown, 0);
    EXPECT_EQ(Frames(1, Reading("1")), 1);
}

TEST_F(RecorderTest, InvalidIntervalFailsBeforeAnythingChanges) {
    for (const std::string bad : {"", "-5", "abc"}) {
        controls.RecordSITime = bad;
        try {
            recorder.INDataToTable(Reading("1"), controls);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const VarloError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + bad + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(log.RowCount(), 0u);
    EXPECT_TRUE(chart.points.empty());
    EXPECT_EQ(recorder.State().RecordCount, 0);
    EXPECT_EQ(recorder.State().LastRecordKey, "");
}

TEST_F(RecorderTest, ClearAnsweredNoChangesNothing) {
    Frames(3, Reading("1"));
    dialogs.answers = {Dialogs::Answer::No};
    EXPECT_FALSE(recorder.RecordNewClick());
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"ask: Do you want to delete this record?"});
    EXPECT_EQ(log.RowCount(), 3u);
    EXPECT_EQ(chart.points.size(), 3u);
    EXPECT_EQ(chart.clears, 0);
    EXPECT_EQ(window.newClicks, 0);
    EXPECT_EQ(recorder.State().NextRecordNo, 4);
}

TEST_F(RecorderTest, ClearEmptiesLogAndChartAndRestartsNumbering) {
    controls.RecordSITime = "7";
    for (int i = 0; i < 150; ++i) Frames(1, Reading("1"));
    EXPECT_EQ(window.bt10, "2");
    dialogs.answers = {Dialogs::Answer::Yes};
    EXPECT_TRUE(recorder.RecordNewClick());
    EXPECT_EQ(log.RowCount(), 0u);
    EXPECT_EQ(chart.clears, 1);
    EXPECT_EQ(window.bt10, "1");
    EXPECT_EQ(window.newClicks, 1);
    EXPECT_EQ(recorder.State().RecordCount, 0);
    EXPECT_EQ(recorder.State().NextRecordNo, 1);
    EXPECT_EQ(recorder.State().SampleCountdown, 7);  // not reset
}

TEST_F(RecorderTest, LoadedRowsNeitherNumberNorCount) {
    for (int i = 1; i <= 50; ++i) log.AppendRow(i, "10:00:00", "DC", "1", "V", "Pass", 1);
    recorder.N10001Click();
    Frames(2, Reading("1"));
    EXPECT_EQ(log.RowCount(), 52u);
    EXPECT_EQ(log.Int(50, ReadingLog::kNo), 1);
    EXPECT_EQ(log.Int(51, ReadingLog::kNo), 2);
    EXPECT_EQ(recorder.State().RecordCount, 2);
}

TEST_F(RecorderTest, RowsRecordedWhileRecallingCarryTheRecallTime) {
    EditBox timeH("23"), timeM("59"), timeS("59");
    recall.RecallCheckClick(true, timeH, timeM, timeS);
    controls.RecallCheck = true;
    locale.Set(LocaleFormat{.TimeSeparator = "-"});
    recorder.RefreshLocale();
    recall.AdvanceRecallClock(true, "1");
    recorder.INDataToTable(Reading("1"), controls);
    recall.AdvanceRecallClock(true, "1");
    recorder.INDataToTable(Reading("2"), controls);
    recall.RecallCheckClick(false, timeH, timeM, timeS);
    controls.RecallCheck = false;
    recall.AdvanceRecallClock(false, "1");
    recorder.INDataToTable(Reading("3"), controls);
    EXPECT_EQ(log.Text(0, ReadingLog::kTime), "00-00-01");
    EXPECT_EQ(log.Text(1, ReadingLog::kTime), "00-00-02");
    EXPECT_EQ(log.Text(2, ReadingLog::kTime), "09-05-07");
}

}  // namespace
}  // namespace varlo
