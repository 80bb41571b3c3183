#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SessionBench.h"

namespace varlo {
namespace {

using test::Bench;
using test::Volts1;

TEST(Session, StartUpAppliesTheProfileAndCaption) {
    Bench b;
    EXPECT_EQ(b.session.Range().FullScale, 22000);
    EXPECT_EQ(b.session.Alarms().AlarmHigh, 22002.0f);
    EXPECT_EQ(b.session.Alarms().AlarmLow, -22002.0f);
    EXPECT_EQ(b.session.Display().MaxTextCaption, "-22001");
    EXPECT_EQ(b.session.Display().MinTextCaption, "22001");
    EXPECT_EQ(b.session.Panel().BarMax(), 22);
    EXPECT_EQ(b.session.Chart().GetYMax(), 22000.0);
    EXPECT_EQ(b.session.Chart().GetYMin(), -22000.0);
    EXPECT_EQ(b.session.Chart().GetPageSize(), 100);
    EXPECT_EQ(b.session.ChartModel().ActiveSeries(), 0);
    const std::string& caption = b.session.Caption();
    EXPECT_EQ(caption.rfind("VARLO Interface Program Ver 4.01", 0), 0u);
    EXPECT_TRUE(caption.ends_with("(x64)") || caption.ends_with("(x86)")) << caption;
}

TEST(Session, JudgementAgainstTheLimitTexts) {
    struct Case {
        std::string frame;
        const char* judge;
    };
    const Case cases[] = {
        {Volts1("00500"), "Pass"},        // 00.500
        {Volts1("01000"), "Pass"},        // 01.000, the limit itself
        {Volts1("01001"), "Fail"},        // 01.001
        {Volts1("01000", true), "Pass"},  // -01.000
        {Volts1("01001", true), "Fail"},
        {"A000000310000D", "Fail"},  // overload 0L, whatever the limits
        {Volts1("22580"), "Fail"},   // digits 22580
        {"A100100B80890D", "Fail"},  // codes B8089 ("duty" 00100, a number)
    };
    for (const Case& c : cases) {
        Bench b;
        b.session.EditSetText(SessionEdit::T1HI, "1.000");
        b.session.EditSetText(SessionEdit::T1LO, "-1.000");
        b.Frame(c.frame);
        ASSERT_TRUE(b.Errors().empty()) << b.Errors().front();
        EXPECT_EQ(b.Reading().JudgeText, c.judge) << c.frame;
        EXPECT_EQ(b.session.Display().judgeCaption, c.judge);
        EXPECT_EQ(b.session.Display().judgeColour,
                  std::string(c.judge) == "Pass" ? JudgeColour::Green : JudgeColour::Red);
        EXPECT_EQ(b.session.Display().T1VALUEText, b.Reading().ValueText);
        ASSERT_EQ(b.session.Log().RowCount(), 1u);
        EXPECT_EQ(b.session.Log().Text(0, 5), c.judge);  // the Auto column
    }
}

TEST(Session, SuspendedJudgementKeepsTheLastVerdict) {
    Bench b;
    b.Frame(Volts1("01001"));
    EXPECT_EQ(b.Reading().JudgeText, "Pass");  // default limits +-22000
    // An empty limit text (bypassing the box's own check) suspends judging.
    SessionTestAccess::ForceText(b.session, SessionEdit::T1HI, "");
    b.session.EditSetText(SessionEdit::T1LO, "0");
    b.Frame(Volts1("01000", true));
    EXPECT_EQ(b.Reading().JudgeText, "Pass");
    EXPECT_EQ(b.session.Log().Text(1, 5), "Pass");
    // A duty overload is not a number: Fail even while suspended.
    b.Frame("A112345B00880D");
    EXPECT_EQ(b.Reading().JudgeText, "Fail");
}

TEST(Session, LimitTypedWithTheOtherSeparatorIsRewrittenOnceTheLocaleChanged) {
    Bench b;
    b.session.EditSetText(SessionEdit::T1HI, "1.5");
    b.locale.Set(test::WithSeparator(","));
    b.Frame(Volts1("01400"));  // read before the locale-change event: "01.400"
    EXPECT_EQ(b.Reading().ValueText, "01.400");
    EXPECT_EQ(b.session.Controls().T1HI.Text(), "1.5");
    b.session.LocaleChanged();
    b.Frame(Volts1("01400"));
    EXPECT_EQ(b.session.Controls().T1HI.Text(), "1,5");
    EXPECT_EQ(b.Reading().ValueText, "01,400");
    EXPECT_EQ(b.Reading().JudgeText, "Pass");
    b.Frame(Volts1("01600"));
    EXPECT_EQ(b.Reading().JudgeText, "Fail");
}

TEST(Session, ALimitThatIsNoNumberFailsTheFrameAfterTheJudgement) {
    Bench b;
    b.Frame(Volts1("00100"));
    ASSERT_EQ(b.session.Log().RowCount(), 1u);
    const int bar = b.session.Panel().BarPosition();
    SessionTestAccess::ForceText(b.session, SessionEdit::T1LO, "abc");
    b.Frame(Volts1("12000"));
    ASSERT_EQ(b.Errors(), std::vector<std::string>{"'abc' is not a valid floating point value"});
    EXPECT_EQ(b.session.Log().RowCount(), 1u);            // no row
    EXPECT_EQ(b.session.ChartModel().PointCount(0), 1u);  // no chart point
    EXPECT_EQ(b.session.Panel().BarPosition(), bar);      // no bar graph
    EXPECT_EQ(b.session.Panel().Digits[0].Caption, "1");  // digits shown
    // The next frame goes through once the limit is a number again.
    b.session.EditSetText(SessionEdit::T1LO, "-5");
    b.Frame(Volts1("12000"));
    EXPECT_EQ(b.session.Log().RowCount(), 2u);
}

TEST(Session, ExtremesFollowTheReadingsOfOneMode) {
    Bench b;
    b.Frame(Volts1("00300"));  // first frame: a mode change, not tracked
    EXPECT_EQ(b.session.FollowUp().RunMaxText, "");
    EXPECT_EQ(b.session.FollowUp().RunMax, -22000.0f);
    b.Frame(Volts1("00100"));
    b.Frame(Volts1("00050"));
    EXPECT_EQ(b.session.FollowUp().RunMaxText, "00.100");
    EXPECT_EQ(b.session.FollowUp().RunMinText, "00.050");
    EXPECT_EQ(b.session.Display().MaxTextCaption, "00.100");
    EXPECT_EQ(b.session.Display().MinTextUCaption, "V");
    // A change of range restarts the extremes but keeps their texts.
    b.Frame("A200050B00080D");
    EXPECT_EQ(b.session.FollowUp().RunMax, -22000.0f);
    EXPECT_EQ(b.session.FollowUp().RunMin, 22000.0f);
    EXPECT_EQ(b.session.FollowUp().RunMaxText, "00.100");
}

TEST(Session, ModeChangeRestartsTheChartOnlyWithoutContinueRecord) {
    for (bool continueRecord : {true, false}) {
        Bench b;
        b.session.multirangeClick(continueRecord);
        b.Frame(Volts1("00100"));  // the first frame is a mode change
        b.Frame(Volts1("00200"));
        b.Frame("A200300B00080D");  // the point moves: another mode change
        // With "Continue Record" the chart holds the three values; without
        // it, each mode change put a placeholder at X 0 before the value.
        if (continueRecord) {
            EXPECT_EQ(b.session.ChartModel().PointCount(0), 3u);
            EXPECT_FALSE(b.session.ChartModel().Placeholder(0).has_value());
        } else {
            EXPECT_EQ(b.session.ChartModel().PointCount(0), 2u);
            EXPECT_TRUE(b.session.ChartModel().Placeholder(0).has_value());
        }
        EXPECT_EQ(b.session.Log().RowCount(), 3u);
    }
}

TEST(Session, AlarmBeepsBeyondSwitchedOnLimits) {
    struct Case {
        const char* digits;
        bool negative;
        bool high, low;
        int beeps;
    };
    const Case cases[] = {
        {"22001", false, true, false, 0},  {"22003", false, true, false, 1},
        {"22003", false, false, false, 0}, {"22003", true, false, true, 1},
        {"22003", true, true, false, 0},
    };
    for (const Case& c : cases) {
        Bench b;
        // The alarm limits at their start values, as the boxes give them.
        b.Type(SessionEdit::Setmax, "22002");
        b.Type(SessionEdit::SetMin, "-22002");
        b.session.SetMaxBClick(c.high);
        b.session.SetMinBClick(c.low);
        ASSERT_EQ(b.session.Alarms().AlarmHigh, 22002.0f);
        ASSERT_EQ(b.session.Alarms().AlarmLow, -22002.0f);
        // Temperature: no decimal point, so Counts are the digits.
        b.Frame(std::string("A0") + c.digits + "4" + (c.negative ? "4" : "0") + "0000D");
        ASSERT_EQ(b.Reading().Counts, (c.negative ? -1 : 1) * std::stod(c.digits));
        EXPECT_EQ(b.session.Display().beeps, static_cast<std::uint64_t>(c.beeps)) << c.digits;
    }
}

TEST(Session, RoadFromBytesToRowAndChartPoint) {
    Bench b;
    b.Frame("A212345B00040D");
    ASSERT_EQ(b.session.Log().RowCount(), 1u);
    const ReadingLog& log = b.session.Log();
    EXPECT_EQ(log.Int(0, 0), 1);
    EXPECT_EQ(log.Text(0, 1), "09:30:15");
    EXPECT_EQ(log.Text(0, 2), "AC");
    EXPECT_EQ(log.Text(0, 3), "123.45");
    EXPECT_EQ(log.Text(0, 4), "V");
    EXPECT_EQ(log.Text(0, 5), "Pass");
    EXPECT_EQ(log.Int(0, 6), 12345);
    ASSERT_EQ(b.session.ChartModel().PointCount(0), 1u);
    EXPECT_EQ(b.session.ChartModel().PointAt(0, 0).Y, 123.45);
    EXPECT_EQ(b.session.ChartModel().PointAt(1, 0).Y, 123.45);
    EXPECT_EQ(b.session.Chart().GetYMax(), 220.0);  // by the lit point
    EXPECT_EQ(b.session.Display().Bt10Caption, "1");
}

TEST(Session, RecordLimitAdmitsExactlyItsRowsAndSaysSo) {
    Bench b;
    b.session.N10001Click();
    for (int i = 0; i < 1005; ++i) {
        b.Frame(Volts1("00100"));
    }
    EXPECT_EQ(b.session.Log().RowCount(), 1000u);
    EXPECT_EQ(b.session.ChartModel().PointCount(0), 1000u);
    EXPECT_EQ(b.session.Recording().RecordCount, 1000);
    EXPECT_EQ(b.session.Recording().RecordLimit, 1000);
    EXPECT_EQ(b.session.Counters().OverLimit, 5u);
    EXPECT_EQ(b.session.Chart().GetPageNo(), 10);
    EXPECT_EQ(b.session.Display().Bt10Caption, "10");
}

TEST(Session, RecallStampingStampsRowsFromTheRecallClock) {
    Bench b;
    b.session.RecallCheckClick(true);
    b.Type(SessionEdit::TimeH, "23");
    b.Type(SessionEdit::TimeM, "59");
    b.Type(SessionEdit::TimeS, "58");
    b.session.RecallCheckExit();
    b.Type(SessionEdit::TimeInt, "2");
    b.Frame(Volts1("00100"));
    b.Frame(Volts1("00100"));
    ASSERT_EQ(b.session.Log().RowCount(), 2u);
    EXPECT_EQ(b.session.Log().Text(0, 1), "00:00:00");
    EXPECT_EQ(b.session.Log().Text(1, 1), "00:00:02");
}

// A locale that counts how often it is asked.
struct CountingLocale : LocaleSource {
    LocaleFormat format;
    mutable int asked = 0;
    std::string DecimalSeparator() const override {
        ++asked;
        return format.DecimalSeparator;
    }
    LocaleFormat Format() const override {
        ++asked;
        return format;
    }
};

TEST(Session, TheLocaleIsReadAtStartAndOnItsChangeEventOnly) {
    CountingLocale locale;
    FixedLocalClock clock{{2026, 12, 10, 9, 30, 15, 0}};
    testing::RecordingDialogs dialogs;
    MeterSession session(locale, clock, dialogs);
    const int atStart = locale.asked;
    ASSERT_GT(atStart, 0);
    auto frame = [&](const std::string& text) {
        const std::vector<std::uint8_t> bytes = test::FrameBytes(text);
        session.OnSerialData(bytes.data(), bytes.size());
    };
    for (int i = 0; i < 50; ++i) frame(Volts1("01234"));
    EXPECT_EQ(locale.asked, atStart);
    ASSERT_EQ(session.Log().RowCount(), 50u);

    locale.format.DecimalSeparator = ",";
    locale.format.TimeSeparator = ".";
    session.LocaleChanged();
    EXPECT_GT(locale.asked, atStart);
    frame(Volts1("01234"));
    EXPECT_EQ(session.Reading().ValueText, "01,234");
    EXPECT_EQ(session.Log().Text(50, 1), "09.30.15");
    EXPECT_EQ(session.Log().Text(49, 1), "09:30:15");
}

TEST(Session, OneFrameNoticePerFrameTakenUp) {
    Bench b;
    test::CountingView view;
    b.session.SetView(&view);
    b.Frame(Volts1("00100"));
    b.Frame(Volts1("00200"));
    EXPECT_EQ(view.frames, 2);
    // A frame abandoned by a failure has changed the display all the same.
    SessionTestAccess::ForceText(b.session, SessionEdit::T1LO, "abc");
    b.Frame(Volts1("00300"));
    EXPECT_EQ(view.frames, 3);
    EXPECT_EQ(b.Errors().size(), 1u);
    // A frame the decoder refuses (a digit "A") shows nothing.
    b.Frame("A10A100B00080D");
    EXPECT_EQ(view.frames, 3);
    EXPECT_EQ(b.session.Decoder().RejectedCount(), 1u);
}

}  // namespace
}  // namespace varlo
