#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "DecodeFixture.h"
#include "common/VarloError.h"
#include "decode/FrameDump.h"

namespace varlo::test {
namespace {

struct ExpectedReading {
    int line;
    std::string frame;
    std::string dump;  // the whole expected dump line
};

std::vector<ExpectedReading> LoadReadings() {
    std::ifstream in(std::string(VARLO_TEST_DATA) + "/decode/data/readings.tsv");
    std::vector<ExpectedReading> rows;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        rows.push_back({number, line.substr(0, line.find('\t')), line});
    }
    return rows;
}

TEST(Decoder, EveryTableRowDecodesAsWorkedOut) {
    const auto rows = LoadReadings();
    ASSERT_GT(rows.size(), 40u);
    for (const ExpectedReading& row : rows) {
        Meter meter;
        ASSERT_TRUE(meter.decoder.LcdDisplayKESTO(row.frame)) << "line " << row.line;
        EXPECT_EQ(FormatDumpLine(meter.decoder), row.dump) << "readings.tsv line " << row.line;
    }
}

TEST(Decoder, StateOfAnEarlierFrameDoesNotLeakIntoTheNext) {
    // Every row decoded after an overload in another function gives the same
    // line as on a fresh decoder (digit visibility and flags are redone).
    const auto rows = LoadReadings();
    Meter meter;
    for (const ExpectedReading& row : rows) {
        ASSERT_TRUE(meter.decoder.LcdDisplayKESTO("A000000350000D"));
        ASSERT_TRUE(meter.decoder.LcdDisplayKESTO(row.frame));
        EXPECT_EQ(FormatDumpLine(meter.decoder), row.dump) << "readings.tsv line " << row.line;
    }
}

TEST(Decoder, LocaleSeparatorGoesIntoTheValueText) {
    Meter meter(",");
    ASSERT_TRUE(meter.decoder.LcdDisplayKESTO("A001234B000A0D"));
    EXPECT_EQ(meter.decoder.Reading().ValueText, "0,1234");
    EXPECT_EQ(meter.decoder.DecimalSep(), ",");
    ASSERT_TRUE(meter.decoder.LcdDisplayKESTO("A000000B10080D"));
    EXPECT_EQ(meter.decoder.Reading().ValueText, ",0L");
}

TEST(Decoder, ScaledValueIsTheNearestDoubleToTheDisplayedNumber) {
    struct Case {
        const char* frame;
        double scaled;
    };
    for (const Case& c : {Case{"A001234B000A0D", 0.1234}, Case{"A112345300020D", 1.2345},
                          Case{"A100123B00080D", 0.123}, Case{"A301234B000B0D", 1.234},
                          Case{"A212345B00040D", 123.45}, Case{"A101234D00080D", 123.4}}) {
        Meter meter;
        ASSERT_TRUE(meter.decoder.LcdDisplayKESTO(c.frame));
        EXPECT_EQ(meter.decoder.Reading().ScaledValue, c.scaled) << c.frame;
    }
}

TEST(Decoder, RejectsFramesThatWouldNotConvertAndShowsNothingOfThem) {
    struct Case {
        const char* frame;
        const char* reasonPart;
    };
    const Case cases[] = {
        {"A1000A0B00080D", "digit 4"},  // a digit A without overload
        {"AA00000B00080D", "range"},    // range A, volts
        {"AC00000400000D", "range"},    // range C, temperature (range unused)
        {"AA00000B10080D", "range"},    // range A even with overload
        {"A10000FB00080D", "digit 5"},
    };
    for (const Case& c : cases) {
        Meter meter;
        ASSERT_TRUE(meter.decoder.LcdDisplayKESTO("A212345B00040D"));
        const std::string before = FormatDumpLine(meter.decoder);
        const auto memo2Lines = meter.traces.Memo2.LineCount();
        meter.decoder.Link().LinkIdleTicks = 5;
        meter.decoder.Link().CONokVisible = false;
        EXPECT_FALSE(meter.decoder.LcdDisplayKESTO(c.frame)) << c.frame;
        EXPECT_EQ(FormatDumpLine(meter.decoder), before) << c.frame;
        EXPECT_EQ(meter.decoder.Link().LinkIdleTicks, 5);
        EXPECT_FALSE(meter.decoder.Link().CONokVisible);
        EXPECT_EQ(meter.traces.Memo2.LineCount(), memo2Lines);
        EXPECT_EQ(meter.decoder.RejectedCount(), 1u);
        EXPECT_NE(meter.traces.Memo1.LastLine().find(c.reasonPart), std::string::npos)
            << meter.traces.Memo1.LastLine();
        EXPECT_NE(meter.traces.Memo1.LastLine().find(c.frame), std::string::npos);
    }
}

TEST(Decoder, ChartRangeFollowsTheLitPoint) {
    struct Recorder : ChartYRange {
        std::vector<double> calls;
        void SetYMax(double v) override { calls.push_back(v); }
        void SetYMin(double v) override { calls.push_back(v); }
    };
    struct Case {
        const char* frame;
        std::vector<double> calls;
    };
    const Case cases[] = {{"A001234B000A0D", {22, -22}},
                          {"A100000B00080D", {22, -22}},
                          {"A212345B00040D", {220, -220}},
                          {"A300012B40080D", {2200, -2200}},
                          {"A000235400000D", {}}};
    for (const Case& c : cases) {
        Meter meter;
        Recorder chart;
        meter.decoder.SetChartYRange(&chart);
        ASSERT_TRUE(meter.decoder.LcdDisplayKESTO(c.frame));
        EXPECT_EQ(chart.calls, c.calls) << c.frame;
    }
}

TEST(Decoder, LinkIndicatorAndTraces) {
    Meter meter;
    meter.decoder.Link().LinkIdleTicks = 7;
    ASSERT_TRUE(meter.decoder.LcdDisplayKESTO("A100000B00080D"));
    EXPECT_TRUE(meter.decoder.Link().CONokVisible);
    EXPECT_FALSE(meter.decoder.Link().CONokNVisible);
    EXPECT_EQ(meter.decoder.Link().LinkIdleTicks, 0);
    EXPECT_EQ(meter.traces.USBtxt.Text(), "A100000B00080D");
    // Twelve lines in each memo: the frame, and the bits built so far.
    ASSERT_EQ(meter.traces.Memo2.LineCount(), 12u);
    ASSERT_EQ(meter.traces.Memo1.LineCount(), 12u);
    EXPECT_EQ(meter.traces.Memo2.Line(11), "A100000B00080D");
    EXPECT_EQ(meter.traces.Memo1.Line(0), "0001");
    const std::string z = "0000";
    EXPECT_EQ(meter.traces.Memo1.Line(1), "0001" + z);
    EXPECT_EQ(meter.traces.Memo1.Line(11),
              "0001" + z + z + z + z + z + "1011" + z + z + z + "1000" + z);
}

TEST(Decoder, ShortFrameRepeatsItsLastPosition) {
    // An 11-character frame: positions 12 and 13 repeat the bits of 11.
    Meter meter;
    ASSERT_TRUE(meter.decoder.LcdDisplayKESTO("A100000B0DA"));
    const std::string z = "0000";
    EXPECT_EQ(meter.decoder.FrameBits(),
              "0001" + z + z + z + z + z + "1011" + z + "1101" + "1010" + "1010" + "1010");
    // Position 11 ("A") sets the duty overload bit; the repeated "A" of
    // position 12 gives DC and AUTO, that of position 13 HOLD.
    EXPECT_EQ(meter.decoder.Reading().FunctionText, "Duty");
    EXPECT_EQ(meter.decoder.Reading().RangeModeText, "AUTO");
    EXPECT_EQ(meter.decoder.Reading().ValueText, "0L.");
    EXPECT_TRUE(meter.decoder.Panel().Lit(LcdFlag::LcdDc1));
    EXPECT_TRUE(meter.decoder.Panel().Lit(LcdFlag::LCDHold));
}

// A follow-up that records the order of its calls and can fail one step.
struct OrderFollowUp : ReadingFollowUp {
    std::vector<std::string> calls;
    std::string failAt;
    std::string captionAtExtremes;
    void Step(const std::string& name) {
        calls.push_back(name);
        if (name == failAt) {
            throw VarloError("'x' is not a valid floating point value");
        }
    }
    void NormaliseLimitTexts(const MeterDecoder&) override { Step("limits"); }
    void SoundAlarm(const MeterDecoder&) override { Step("alarm"); }
    void TrackExtremes(const MeterDecoder&) override { Step("extremes"); }
    void ShowExtremes(const MeterDecoder& d) override {
        captionAtExtremes = d.Panel().Digits[1].Caption;
        Step("show");
    }
    void AdvanceRecallClock(const MeterDecoder&) override { Step("recall"); }
    void Judge(MeterDecoder& d) override {
        d.Reading().JudgeText = "Pass";
        Step("judge");
    }
    void AppendToLog(const MeterDecoder&) override { Step("log"); }
};

TEST(Decoder, FollowUpRunsInOrderAndAFailureSkipsTheRestOfTheFrame) {
    Meter meter;
    OrderFollowUp followUp;
    meter.decoder.SetFollowUp(&followUp);
    ASSERT_TRUE(meter.decoder.LcdDisplayKESTO("A212345B00040D"));
    EXPECT_EQ(followUp.calls, (std::vector<std::string>{"limits", "alarm", "extremes", "show",
                                                        "recall", "judge", "log"}));
    EXPECT_EQ(followUp.captionAtExtremes, "");  // digit captions come after
    EXPECT_EQ(meter.decoder.Panel().BarPosition(), 12);

    // A failing judgement: no log append and no bar graph for this frame,
    // the failure goes to the error report, the next frame decodes.
    followUp.calls.clear();
    followUp.failAt = "judge";
    std::vector<std::string> errors;
    meter.assembler.SetErrorReport([&](const std::string& text) { errors.push_back(text); });
    meter.Serial(WireBytes("A100123B00080D"));  // closes a partial frame first
    meter.Serial(WireBytes("A100123B00080D"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'x' is not a valid floating point value");
    EXPECT_EQ(followUp.calls.back(), "judge");
    EXPECT_EQ(meter.decoder.Panel().BarPosition(), 12);       // left from the earlier frame
    EXPECT_EQ(meter.decoder.Panel().Digits[2].Caption, "1");  // captions already set
}

}  // namespace
}  // namespace varlo::test
