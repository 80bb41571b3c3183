#include <gtest/gtest.h>

#include "Fakes.h"
#include "common/VarloError.h"
#include "recording/RecallClock.h"
#include "recording/RecordSITimeInput.h"

namespace varlo {
namespace {

using testing::RecordingDialogs;

class RecallClockTest : public ::testing::Test {
  protected:
    RecallClockTest() {
        for (EditBox* edit : {&timeH, &timeM, &timeS}) edit->SetOnChange(RecordSITimeChange);
    }
    void Start(int h, int m, int s) {
        recall.Hour = h;
        recall.Minute = m;
        recall.Second = s;
    }
    std::string Stamp() const { return recall.RecallTimeText(":"); }

    FixedLocalClock clock{{2026, 5, 6, 14, 15, 16, 0}};
    RecordingDialogs dialogs;
    RecallClock recall{clock, dialogs};
    EditBox timeH{"23"}, timeM{"59"}, timeS{"59"};
};

TEST_F(RecallClockTest, StartsAtZeroWithTheLocalTime) {
    EXPECT_EQ(recall.Hour, 0);
    EXPECT_EQ(recall.Minute, 0);
    EXPECT_EQ(recall.Second, 0);
    EXPECT_EQ(recall.RecallTime, clock.Now());
}

TEST_F(RecallClockTest, CheckingStartsAtMidnightAndEachFrameAddsTheInterval) {
    recall.RecallCheckClick(true, timeH, timeM, timeS);
    EXPECT_EQ(timeH.Text() + timeM.Text() + timeS.Text(), "000000");
    recall.AdvanceRecallClock(true, "1");
    EXPECT_EQ(Stamp(), "00:00:01");
    for (int i = 0; i < 4; ++i) recall.AdvanceRecallClock(true, "1");
    EXPECT_EQ(Stamp(), "00:00:05");
    EXPECT_FALSE(recall.RecallTime.HasDate());
    EXPECT_EQ(recall.Interval, 1);
}

TEST_F(RecallClockTest, CarriesAndWraps) {
    struct Case {
        int h, m, s;
        std::string interval, stamp;
    };
    const std::vector<Case> cases = {
        {23, 59, 30, "45", "00:00:15"},
        {5, 10, 0, "3600", "06:10:00"},
        {23, 0, 0, "7200", "01:00:00"},
        {0, 0, 0, "0", "00:00:00"},
        {12, 0, 0, "86400", "12:00:00"},
        {0, 0, 0, "2147483647", "03:14:07"},
        // Values loaded beyond their range carry and wrap as well.
        {30, 0, 0, "1", "06:00:01"},
        {0, 75, 99, "1", "01:16:40"},
    };
    for (const auto& c : cases) {
        Start(c.h, c.m, c.s);
        recall.AdvanceRecallClock(true, c.interval);
        EXPECT_EQ(Stamp(), c.stamp) << c.h << ":" << c.m << ":" << c.s << " + " << c.interval;
        EXPECT_LT(recall.Hour, 24);
        EXPECT_LT(recall.Minute, 60);
        EXPECT_LT(recall.Second, 60);
    }
}

TEST_F(RecallClockTest, StampUsesTheTimeSeparator) {
    Start(1, 2, 3);
    recall.AdvanceRecallClock(true, "1");
    EXPECT_EQ(recall.RecallTimeText("."), "01.02.04");
    EXPECT_EQ(recall.RecallTimeText(""), "01:02:04");
}

TEST_F(RecallClockTest, UncheckedFollowsTheLocalClockAndDoesNotMove) {
    Start(1, 2, 3);
    clock.Set({2026, 5, 6, 8, 9, 10, 0});
    recall.AdvanceRecallClock(false, "5");
    EXPECT_EQ(recall.RecallTime, clock.Now());
    EXPECT_EQ(recall.Second, 3);
}

TEST_F(RecallClockTest, InvalidIntervalRaisesAndKeepsTheClock) {
    Start(1, 2, 3);
    for (const std::string bad : {"", "-5", "x"}) {
        try {
            recall.AdvanceRecallClock(true, bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const VarloError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + bad + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(recall.Hour * 3600 + recall.Minute * 60 + recall.Second, 3723);
}

TEST_F(RecallClockTest, UncheckingResetsTheEditsAndLoadsThem) {
    recall.RecallCheckClick(true, timeH, timeM, timeS);
    recall.RecallCheckClick(false, timeH, timeM, timeS);
    EXPECT_EQ(timeH.Text() + ":" + timeM.Text() + ":" + timeS.Text(), "23:59:59");
    EXPECT_EQ(recall.Hour, 23);
    EXPECT_EQ(recall.Minute, 59);
    EXPECT_EQ(recall.Second, 59);
}

TEST_F(RecallClockTest, ExitLoadsTheEditsWithoutRangeCheck) {
    recall.RecallCheckExit("7", "10", "30");
    EXPECT_EQ(recall.Hour, 7);
    EXPECT_EQ(recall.Minute, 10);
    EXPECT_EQ(recall.Second, 30);
    recall.RecallCheckExit("99", "0", "0");
    EXPECT_EQ(recall.Hour, 99);
    EXPECT_THROW(recall.RecallCheckExit("1", "", "2"), VarloError);
    EXPECT_EQ(recall.Hour, 99);  // nothing loaded from a bad set
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecallClockTest, KeyUpLoadsValuesInRangeAndResetsTheOthers) {
    timeH.SetText("24");
    timeM.SetText("10");
    timeS.SetText("60");
    Start(5, 5, 5);
    recall.TimeHKeyUp(timeH, timeM, timeS);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Input error!", "Input error!"}));
    EXPECT_EQ(timeH.Text(), "00");
    EXPECT_EQ(timeM.Text(), "10");
    EXPECT_EQ(timeS.Text(), "00");
    EXPECT_EQ(recall.Hour, 5);  // keeps its value until the next key release
    EXPECT_EQ(recall.Minute, 10);
    EXPECT_EQ(recall.Second, 5);

    recall.TimeHKeyUp(timeH, timeM, timeS);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(recall.Hour, 0);
    EXPECT_EQ(recall.Second, 0);

    timeH.SetText("23");
    timeM.SetText("59");
    timeS.SetText("59");
    recall.TimeHKeyUp(timeH, timeM, timeS);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(recall.Hour * 3600 + recall.Minute * 60 + recall.Second, 86399);
}

}  // namespace
}  // namespace varlo
