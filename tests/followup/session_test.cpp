#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "followup/MeterSession.h"
#include "support/RecordingDialogs.h"

namespace varlo {
namespace {

// A session fed with whole frames over the serial path.
struct Bench {
    explicit Bench(std::string sep = ".") {
        LocaleFormat format;
        format.DecimalSeparator = sep;
        locale.Set(format);
        dialogs.otherwise = Dialogs::Answer::Yes;
        session.assembler.SetErrorReport([this](const std::string& e) { errors.push_back(e); });
    }
    // Sends one frame "A...D" as the meter does (LF first).
    void Frame(const std::string& frame) {
        std::vector<std::uint8_t> bytes = {0x0A};
        for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
            const char c = frame[i];
            bytes.push_back(static_cast<std::uint8_t>(0x30 + (c <= '9' ? c - '0' : c - 'A' + 10)));
        }
        bytes.push_back(0x0D);
        session.OnSerialData(bytes.data(), bytes.size());
    }
    const MeterReading& Reading() const { return session.decoder.Reading(); }

    FixedLocale locale;
    FixedLocalClock clock{{2026, 12, 10, 9, 30, 15, 0}};
    testing::RecordingDialogs dialogs;
    MeterSession session{locale, clock, dialogs};
    std::vector<std::string> errors;
};

// Volts in range 1 ("00.000" style, three decimals) with the given digits.
std::string Volts1(const std::string& digits, bool negative = false) {
    return "A1" + digits + "B" + (negative ? "4" : "0") + "0080D";
}

TEST(Session, StartUpAppliesTheProfileAndCaption) {
    Bench b;
    EXPECT_EQ(b.session.range.FullScale, 22000);
    EXPECT_EQ(b.session.alarms.AlarmHigh, 22002.0f);
    EXPECT_EQ(b.session.alarms.AlarmLow, -22002.0f);
    EXPECT_EQ(b.session.MaxTextCaption, "-22001");
    EXPECT_EQ(b.session.MinTextCaption, "22001");
    EXPECT_EQ(b.session.decoder.Panel().BarMax(), 22);
    EXPECT_EQ(b.session.chart.GetYMax(), 22000.0);
    EXPECT_EQ(b.session.chart.GetYMin(), -22000.0);
    EXPECT_EQ(b.session.chart.GetPageSize(), 100);
    EXPECT_EQ(b.session.chartModel.ActiveSeries(), 0);
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
        b.session.controls.T1HI.SetText("1.000");
        b.session.controls.T1LO.SetText("-1.000");
        b.Frame(c.frame);
        ASSERT_TRUE(b.errors.empty()) << b.errors.front();
        EXPECT_EQ(b.Reading().JudgeText, c.judge) << c.frame;
        EXPECT_EQ(b.session.judgeCaption, c.judge);
        EXPECT_EQ(b.session.judgeColour,
                  std::string(c.judge) == "Pass" ? JudgeColour::Green : JudgeColour::Red);
        EXPECT_EQ(b.session.T1VALUEText, b.Reading().ValueText);
        ASSERT_EQ(b.session.log.RowCount(), 1u);
        EXPECT_EQ(b.session.log.Text(0, 5), c.judge);  // the Auto column
    }
}

TEST(Session, SuspendedJudgementKeepsTheLastVerdict) {
    Bench b;
    b.Frame(Volts1("01001"));
    EXPECT_EQ(b.Reading().JudgeText, "Pass");  // default limits +-22000
    // An empty limit text (bypassing the box's own check) suspends judging.
    b.session.controls.T1HI.SetOnChange(nullptr);
    b.session.controls.T1HI.SetText("");
    b.session.controls.T1LO.SetText("0");
    b.Frame(Volts1("01000", true));
    EXPECT_EQ(b.Reading().JudgeText, "Pass");
    EXPECT_EQ(b.session.log.Text(1, 5), "Pass");
    // A duty overload is not a number: Fail even while suspended.
    b.Frame("A112345B00880D");
    EXPECT_EQ(b.Reading().JudgeText, "Fail");
}

TEST(Session, LimitTypedWithTheOtherSeparatorIsRewritten) {
    Bench b;
    b.session.controls.T1HI.SetText("1.5");
    b.locale.Set([] {
        LocaleFormat f;
        f.DecimalSeparator = ",";
        return f;
    }());
    b.Frame(Volts1("01400"));  // "01,400"
    EXPECT_EQ(b.session.controls.T1HI.Text(), "1,5");
    EXPECT_EQ(b.Reading().ValueText, "01,400");
    EXPECT_EQ(b.Reading().JudgeText, "Pass");
    b.Frame(Volts1("01600"));
    EXPECT_EQ(b.Reading().JudgeText, "Fail");
}

TEST(Session, ALimitThatIsNoNumberFailsTheFrameAfterTheJudgement) {
    Bench b;
    b.Frame(Volts1("00100"));
    ASSERT_EQ(b.session.log.RowCount(), 1u);
    const int bar = b.session.decoder.Panel().BarPosition();
    b.session.controls.T1LO.SetOnChange(nullptr);
    b.session.controls.T1LO.SetText("abc");
    b.Frame(Volts1("12000"));
    ASSERT_EQ(b.errors, std::vector<std::string>{"'abc' is not a valid floating point value"});
    EXPECT_EQ(b.session.log.RowCount(), 1u);                      // no row
    EXPECT_EQ(b.session.chartModel.PointCount(0), 1u);            // no chart point
    EXPECT_EQ(b.session.decoder.Panel().BarPosition(), bar);      // no bar graph
    EXPECT_EQ(b.session.decoder.Panel().Digits[0].Caption, "1");  // digits shown
    // The next frame goes through once the limit is a number again.
    b.session.controls.T1LO.SetText("-5");
    b.Frame(Volts1("12000"));
    EXPECT_EQ(b.session.log.RowCount(), 2u);
}

TEST(Session, ExtremesFollowTheReadingsOfOneMode) {
    Bench b;
    b.Frame(Volts1("00300"));  // first frame: a mode change, not tracked
    EXPECT_EQ(b.session.RunMaxText, "");
    EXPECT_EQ(b.session.RunMax, -22000.0f);
    b.Frame(Volts1("00100"));
    b.Frame(Volts1("00050"));
    EXPECT_EQ(b.session.RunMaxText, "00.100");
    EXPECT_EQ(b.session.RunMinText, "00.050");
    EXPECT_EQ(b.session.MaxTextCaption, "00.100");
    EXPECT_EQ(b.session.MinTextUCaption, "V");
    // A change of range restarts the extremes but keeps their texts.
    b.Frame("A200050B00080D");
    EXPECT_EQ(b.session.RunMax, -22000.0f);
    EXPECT_EQ(b.session.RunMin, 22000.0f);
    EXPECT_EQ(b.session.RunMaxText, "00.100");
}

TEST(Session, ModeChangeRestartsTheChartOnlyWithoutContinueRecord) {
    for (bool continueRecord : {true, false}) {
        Bench b;
        b.session.controls.multirange = continueRecord;
        b.Frame(Volts1("00100"));  // the first frame is a mode change
        b.Frame(Volts1("00200"));
        b.Frame("A200300B00080D");  // the point moves: another mode change
        // With "Continue Record" the chart holds the three values; without
        // it, each mode change put a placeholder at X 0 before the value.
        if (continueRecord) {
            EXPECT_EQ(b.session.chartModel.PointCount(0), 3u);
            EXPECT_FALSE(b.session.chartModel.Placeholder(0).has_value());
        } else {
            EXPECT_EQ(b.session.chartModel.PointCount(0), 2u);
            EXPECT_TRUE(b.session.chartModel.Placeholder(0).has_value());
        }
        EXPECT_EQ(b.session.log.RowCount(), 3u);
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
        b.session.controls.SetMaxB = c.high;
        b.session.controls.SetMinB = c.low;
        // Temperature: no decimal point, so Counts are the digits.
        b.Frame(std::string("A0") + c.digits + "4" + (c.negative ? "4" : "0") + "0000D");
        ASSERT_EQ(b.Reading().Counts, (c.negative ? -1 : 1) * std::stod(c.digits));
        EXPECT_EQ(b.session.beeps, static_cast<std::uint64_t>(c.beeps)) << c.digits;
    }
}

TEST(Session, RoadFromBytesToRowAndChartPoint) {
    Bench b;
    b.Frame("A212345B00040D");
    ASSERT_EQ(b.session.log.RowCount(), 1u);
    const ReadingLog& log = b.session.log;
    EXPECT_EQ(log.Int(0, 0), 1);
    EXPECT_EQ(log.Text(0, 1), "09:30:15");
    EXPECT_EQ(log.Text(0, 2), "AC");
    EXPECT_EQ(log.Text(0, 3), "123.45");
    EXPECT_EQ(log.Text(0, 4), "V");
    EXPECT_EQ(log.Text(0, 5), "Pass");
    EXPECT_EQ(log.Int(0, 6), 12345);
    ASSERT_EQ(b.session.chartModel.PointCount(0), 1u);
    EXPECT_EQ(b.session.chartModel.PointAt(0, 0).Y, 123.45);
    EXPECT_EQ(b.session.chartModel.PointAt(1, 0).Y, 123.45);
    EXPECT_EQ(b.session.chart.GetYMax(), 220.0);  // by the lit point
    EXPECT_EQ(b.session.Bt10Caption, "1");
}

TEST(Session, RecordLimitAdmitsExactlyItsRowsAndSaysSo) {
    Bench b;
    b.session.recorder.N10001Click();
    for (int i = 0; i < 1005; ++i) {
        b.Frame(Volts1("00100"));
    }
    EXPECT_EQ(b.session.log.RowCount(), 1000u);
    EXPECT_EQ(b.session.chartModel.PointCount(0), 1000u);
    EXPECT_TRUE(b.session.recorder.LimitReached());
    EXPECT_EQ(b.session.recorder.Counters().OverLimit, 5u);
    EXPECT_EQ(b.session.chart.GetPageNo(), 10);
    EXPECT_EQ(b.session.Bt10Caption, "10");
}

TEST(Session, RecallStampingStampsRowsFromTheRecallClock) {
    Bench b;
    SessionControls& c = b.session.controls;
    c.RecallCheck = true;
    b.session.recall.RecallCheckClick(true, c.TimeH, c.TimeM, c.TimeS);
    c.TimeH.SetText("23");
    c.TimeM.SetText("59");
    c.TimeS.SetText("58");
    b.session.recall.RecallCheckExit(c.TimeH.Text(), c.TimeM.Text(), c.TimeS.Text());
    c.TimeInt.SetText("2");
    b.Frame(Volts1("00100"));
    b.Frame(Volts1("00100"));
    ASSERT_EQ(b.session.log.RowCount(), 2u);
    EXPECT_EQ(b.session.log.Text(0, 1), "00:00:00");
    EXPECT_EQ(b.session.log.Text(1, 1), "00:00:02");
}

}  // namespace
}  // namespace varlo
