// Loading a table file next to the recorder: the loaded rows take no number
// and no place under the record limit.
#include <gtest/gtest.h>

#include "../recording/Fakes.h"
#include "TestFiles.h"
#include "recording/Recorder.h"
#include "recording/TableFiles.h"

namespace varlo {
namespace {

TEST(TableFilesWithRecorder, NumberingContinuesFromTheRecorderNotTheFile) {
    ReadingLog log;
    testing_fakes::FakeChart chart;
    testing_fakes::FakeWindow window;
    testing::RecordingDialogs dialogs;
    FixedLocalClock clock;
    FixedLocale locale;
    Recorder recorder{log, chart, window, dialogs, clock, locale};
    RecordControls controls;
    MeterReading reading;
    reading.ValueText = "00.123";
    reading.FunctionText = "DC";
    reading.UnitText = "V";
    reading.JudgeText = "Pass";

    testing::TempDir dir;
    std::string file = "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n";
    for (int no = 1; no <= 50; ++no) file += std::to_string(no) + "\t10:00:00\tDC\t1\tV\tPass\r\n";
    testing::WriteFile(dir.File("fifty.txt"), file);

    ASSERT_EQ(recorder.INDataToTable(reading, controls), RecordOutcome::Recorded);
    ASSERT_TRUE(SpeedButton2Click(log, dir.File("fifty.txt"), dialogs));
    ASSERT_EQ(recorder.INDataToTable(reading, controls), RecordOutcome::Recorded);

    ASSERT_EQ(log.RowCount(), 52u);
    EXPECT_EQ(log.Int(0, ReadingLog::kNo), 1);
    EXPECT_EQ(log.Int(50, ReadingLog::kNo), 50);
    EXPECT_EQ(log.Int(51, ReadingLog::kNo), 2);
    EXPECT_EQ(recorder.State().RecordCount, 2);
    EXPECT_EQ(recorder.State().NextRecordNo, 3);
}

}  // namespace
}  // namespace varlo
