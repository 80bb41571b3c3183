#include <gtest/gtest.h>

#include "decode/MeterVariant.h"

namespace varlo {
namespace {

TEST(MeterVariant, SwitchesInstallHandlerAndCaptionInOrder) {
    struct Case {
        MeterVariant variant;
        SerialReceiveHandler handler;
        const char* caption;
    };
    const Case cases[] = {
        {{true, false}, SerialReceiveHandler::KESTODATA, "VARLO Interface Program Ver 4.01"},
        {{true, true}, SerialReceiveHandler::TRIVAData, "NORDA Interface Program _Ver: 1.00"},
        {{false, true}, SerialReceiveHandler::TRIVAData, "NORDA Interface Program _Ver: 1.00"},
        {{false, false}, SerialReceiveHandler::None, ""},
    };
    for (const Case& c : cases) {
        const VariantSelection selection = ApplyMeterVariant(c.variant);
        EXPECT_EQ(selection.Handler, c.handler);
        EXPECT_EQ(selection.CaptionBase, c.caption);
    }
    EXPECT_EQ(ApplyMeterVariant(MeterVariant{}).Handler, SerialReceiveHandler::KESTODATA);
}

TEST(RangeProfile, RowsAssignTheirValues) {
    struct Case {
        const char* code;
        int fullScale, barFull, barMax;
        float alarmHigh, alarmLow, runMax, runMin;
        const char *setmax, *setmin, *maxText, *minText;
    };
    const Case cases[] = {
        {"22", 22000, 22, 22, 22002.0f, -22002.0f, -22001.0f, 22001.0f, "22000", "-22000", "-22001",
         "22001"},
        {"2", 20000, 20, 20, 20002.0f, -20002.0f, -20001.0f, 20001.0f, "20000", "-20000", "-20001",
         "20001"},
        {"6", 6000, 60, 40, 6002.0f, -6002.0f, -6001.0f, 6001.0f, "6000", "-6000", "-6001", "6001"},
        {"34", 3400, 34, 40, 3402.0f, -3402.0f, -3401.0f, 3401.0f, "3400", "-3400", "-3401",
         "3401"},
    };
    for (const Case& c : cases) {
        RangeState state;
        ASSERT_TRUE(ApplyRangeProfile(c.code, state)) << c.code;
        EXPECT_EQ(state.FullScale, c.fullScale) << c.code;
        EXPECT_EQ(state.BarFull, c.barFull) << c.code;
        EXPECT_EQ(state.BarMax, c.barMax) << c.code;  // 40 where the row sets none
        EXPECT_EQ(state.AlarmHigh, c.alarmHigh);
        EXPECT_EQ(state.AlarmLow, c.alarmLow);
        EXPECT_EQ(state.RunMax, c.runMax);
        EXPECT_EQ(state.RunMin, c.runMin);
        EXPECT_EQ(state.SetmaxText, c.setmax);
        EXPECT_EQ(state.SetMinText, c.setmin);
        EXPECT_EQ(state.MaxTextCaption, c.maxText);
        EXPECT_EQ(state.MinTextCaption, c.minText);
    }
    RangeState untouched;
    untouched.FullScale = 123;
    EXPECT_FALSE(ApplyRangeProfile("5", untouched));
    EXPECT_EQ(untouched.FullScale, 123);
}

TEST(LocaleValues, SeparatorIsCutAtZeroAndBufferSize) {
    struct Case {
        std::string answer;
        std::string sep;
    };
    const Case cases[] = {{",", ","},
                          {".", "."},
                          {"", ""},
                          {std::string("a\0b", 3), "a"},
                          {"0123456789AB", "012345678"}};
    for (const Case& c : cases) {
        LocaleFormat format;
        format.DecimalSeparator = c.answer;
        format.TimeSeparator = ".";
        FixedLocale locale(format);
        const LocaleValues values = ReadLocaleValues(locale);
        EXPECT_EQ(values.DecimalSep, c.sep);
        EXPECT_EQ(values.Format.TimeSeparator, ".");
    }
}

}  // namespace
}  // namespace varlo
