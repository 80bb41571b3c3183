#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/VarloError.h"
#include "recording/EditBox.h"
#include "recording/Limits.h"
#include "recording/NumberText.h"
#include "recording/RecordSITimeInput.h"

namespace varlo {
namespace {

constexpr char32_t kBackspace = EditBox::kBackspace;

// Types each character of `keys` into the box; returns the accepted ones.
std::u32string Type(EditBox& edit, std::u32string_view keys) {
    std::u32string accepted;
    for (char32_t key : keys) {
        if (edit.KeyPress(key)) accepted += key;
    }
    return accepted;
}

TEST(EditBoxModel, TypingReplacesTheSelectionAndBackspaceDeletes) {
    EditBox edit("12345");
    int changes = 0;
    edit.SetOnChange([&](EditBox&) { ++changes; });
    edit.Select(1, 3);
    EXPECT_EQ(edit.SelectedText(), "234");
    Type(edit, U"x");
    EXPECT_EQ(edit.Text(), "1x5");
    EXPECT_EQ(edit.SelStart(), 2u);
    Type(edit, std::u32string(1, kBackspace) + kBackspace + kBackspace);
    EXPECT_EQ(edit.Text(), "5");
    EXPECT_EQ(changes, 3);  // the third Backspace at the start changes nothing
    edit.SetText("5");
    EXPECT_EQ(changes, 3);  // same text: no change
    edit.Select(0, 99);
    EXPECT_EQ(edit.SelLength(), 1u);
}

TEST(EditBoxModel, CountsCharactersNotBytes) {
    EditBox edit("1٫5");  // Arabic decimal separator, two bytes
    EXPECT_EQ(edit.Length(), 3u);
    edit.Select(1, 1);
    EXPECT_EQ(edit.SelectedText(), "٫");
    Type(edit, U"€");
    EXPECT_EQ(edit.Text(), "1€5");
    Type(edit, std::u32string(1, kBackspace));
    EXPECT_EQ(edit.Text(), "15");
}

TEST(NumberText, WholeNumbers) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {"0", 0},
        {"10", 10},
        {"007", 7},
        {"+5", 5},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"-0", std::nullopt},
        {" 1", std::nullopt},
        {"1a", std::nullopt},
        {"+", std::nullopt}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseWholeNumber(text), value) << text;
}

TEST(NumberText, LocaleFloats) {
    struct Case {
        std::string text, separator;
        std::optional<double> value;
    };
    const std::vector<Case> cases = {{"1.5", ".", 1.5},
                                     {"-1.000", ".", -1.0},
                                     {"12.", ".", 12.0},
                                     {".5", ".", 0.5},
                                     {"+2", ".", 2.0},
                                     {" 3 ", ".", 3.0},
                                     {"1e3", ".", 1000.0},
                                     {"2,5E-1", ",", 0.25},
                                     {"1,5", ",", 1.5},
                                     {"1٫5", "٫", 1.5},
                                     {"1,5", ".", std::nullopt},
                                     {"1.5", ",", std::nullopt},
                                     {".", ".", std::nullopt},
                                     {"-", ".", std::nullopt},
                                     {"", ".", std::nullopt},
                                     {"1.2.3", ".", std::nullopt},
                                     {"1e", ".", std::nullopt},
                                     {"inf", ".", std::nullopt},
                                     {"1,000.5", ".", std::nullopt},
                                     {"--1", ".", std::nullopt},
                                     {"5", "", 5.0},
                                     {"5.0", "", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLocaleFloat(c.text, c.separator), c.value)
            << "'" << c.text << "' with '" << c.separator << "'";
    }
}

TEST(RecordSITimeInput, OnlyDigitsAndBackspaceReachTheText) {
    EditBox edit("10");
    edit.SetKeyFilter(RecordSITimeKeyPress);
    edit.SetOnChange(RecordSITimeChange);
    EXPECT_EQ(Type(edit, U"a-+.5 "), U"5");
    EXPECT_EQ(edit.Text(), "105");
}

TEST(RecordSITimeInput, InvalidTextBecomesOneSelected) {
    EditBox edit("10");
    edit.SetKeyFilter(RecordSITimeKeyPress);
    edit.SetOnChange(RecordSITimeChange);
    Type(edit, std::u32string(2, kBackspace));  // all digits deleted
    EXPECT_EQ(edit.Text(), "1");
    EXPECT_EQ(edit.SelStart(), 0u);
    EXPECT_EQ(edit.SelLength(), 1u);
    Type(edit, U"7");  // the next digit replaces the 1
    EXPECT_EQ(edit.Text(), "7");

    for (const std::string pasted : {"-5", "abc", "99999999999", " 3"}) {
        edit.SetText(pasted);
        EXPECT_EQ(edit.Text(), "1") << pasted;
        EXPECT_EQ(edit.SelLength(), 1u) << pasted;
    }
    edit.SetText("0");
    EXPECT_EQ(edit.Text(), "0");
}

class JudgeLimitTest : public ::testing::Test {
  protected:
    void Wire(EditBox& edit) {
        edit.SetKeyFilter(
            [this](char32_t key) { return T1HIKeyPress(key, format.DecimalSeparator); });
        edit.SetOnChange([this](EditBox& e) { T1HIChange(e, format); });
    }
    LocaleFormat format;
};

TEST_F(JudgeLimitTest, MinusIntoAnEmptyBoxBecomesMinusZeroWithTheZeroSelected) {
    EditBox edit("");
    Wire(edit);
    Type(edit, U"-");
    EXPECT_EQ(edit.Text(), "-0");
    EXPECT_EQ(edit.SelStart(), 1u);
    EXPECT_EQ(edit.SelLength(), 1u);
    Type(edit, U"5");
    EXPECT_EQ(edit.Text(), "-5");
}

TEST_F(JudgeLimitTest, DeletingEverythingGivesZeroSelected) {
    EditBox edit("22000");
    Wire(edit);
    Type(edit, std::u32string(5, kBackspace));
    EXPECT_EQ(edit.Text(), "0");
    EXPECT_EQ(edit.SelStart(), 0u);
    EXPECT_EQ(edit.SelLength(), 1u);
}

TEST_F(JudgeLimitTest, KeyFilterFollowsTheLocaleSeparator) {
    struct Case {
        std::string separator;
        std::u32string typed, accepted;
    };
    const std::vector<Case> cases = {
        {".", U"1a+.,-e ", U"1.-"},
        {",", U"1a+.,-", U"1,-"},
        {"٫", U"1.,٫", U"1٫"},
        {"", U"1.,", U"1"},
    };
    for (const auto& c : cases) {
        std::u32string accepted;
        for (char32_t key : c.typed) {
            if (T1HIKeyPress(key, c.separator)) accepted += key;
        }
        EXPECT_EQ(accepted, c.accepted) << c.separator;
        EXPECT_TRUE(T1HIKeyPress(kBackspace, c.separator));
    }
}

TEST_F(JudgeLimitTest, SeparatorAfterDigitsStaysAndAloneGivesZero) {
    EditBox edit("12");
    Wire(edit);
    Type(edit, U".");
    EXPECT_EQ(edit.Text(), "12.");
    EditBox empty("");
    Wire(empty);
    Type(empty, U".");
    EXPECT_EQ(empty.Text(), "0");
    EXPECT_EQ(empty.SelLength(), 1u);
}

TEST_F(JudgeLimitTest, PastedTextsAreChecked) {
    struct Case {
        std::string separator, pasted, result;
    };
    const std::vector<Case> cases = {
        {".", "1,5", "0"},  {",", "1,5", "1,5"}, {",", "1.5", "0"},         {".", " - ", "-0"},
        {".", "-\t", "-0"}, {".", "abc", "0"},   {".", "-1.5e2", "-1.5e2"}, {".", "+", "0"},
    };
    for (const auto& c : cases) {
        format.DecimalSeparator = c.separator;
        EditBox edit("1");
        Wire(edit);
        edit.SetText(c.pasted);
        EXPECT_EQ(edit.Text(), c.result) << "'" << c.pasted << "' with '" << c.separator << "'";
    }
}

TEST(AlarmLimits, StartJustOutsideTheFullScale) {
    AlarmLimits limits;
    EXPECT_EQ(limits.AlarmHigh, 22002.0f);
    EXPECT_EQ(limits.AlarmLow, -22002.0f);
    AlarmLimits other(6000);
    EXPECT_EQ(other.AlarmHigh, 6002.0f);
    EXPECT_EQ(other.AlarmLow, -6002.0f);
}

TEST(AlarmLimits, TextsGiveWholeNumbersOrZero) {
    const std::vector<std::pair<std::string, float>> cases = {{"12", 12.0f},
                                                              {"-300", -300.0f},
                                                              {"+7", 7.0f},
                                                              {"", 0.0f},
                                                              {"-", 0.0f},
                                                              {"+", 0.0f},
                                                              {"2147483647", 2147483647.0f},
                                                              {"-2147483648", -2147483648.0f}};
    for (const auto& [text, value] : cases) {
        AlarmLimits limits;
        limits.SetmaxExit(text);
        limits.SetMinExit(text);
        EXPECT_EQ(limits.AlarmHigh, value) << text;
        EXPECT_EQ(limits.AlarmLow, value) << text;
    }
}

TEST(AlarmLimits, BadTextRaisesTheIntegerErrorAndKeepsTheLimit) {
    AlarmLimits limits;
    limits.SetmaxExit("12");
    limits.SetMinExit("-12");
    for (const std::string bad : {"12-", "1-2", "--5", "+-", "2147483648", "-2147483649"}) {
        try {
            limits.SetmaxExit(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const VarloError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + bad + "' is not a valid integer value");
        }
        EXPECT_THROW(limits.SetMinExit(bad), VarloError);
    }
    EXPECT_EQ(limits.AlarmHigh, 12.0f);
    EXPECT_EQ(limits.AlarmLow, -12.0f);
}

TEST(AlarmLimits, TypingAMinusAfterTwelveRaisesAndKeepsTextAndLimit) {
    AlarmLimits limits;
    EditBox setmax("22000");
    setmax.SetKeyFilter(SetmaxKeyPress);
    setmax.SetOnChange([&](EditBox& e) { limits.SetmaxExit(e.Text()); });
    setmax.SetText("12");
    EXPECT_EQ(limits.AlarmHigh, 12.0f);
    EXPECT_THROW(setmax.KeyPress(U'-'), VarloError);
    EXPECT_EQ(setmax.Text(), "12-");
    EXPECT_EQ(limits.AlarmHigh, 12.0f);
    setmax.KeyPress(kBackspace);  // corrected: the handler runs again normally
    EXPECT_EQ(limits.AlarmHigh, 12.0f);
    setmax.KeyPress(U'5');
    EXPECT_EQ(limits.AlarmHigh, 125.0f);
}

TEST(AlarmLimits, KeyFilterTakesDigitsSignsAndBackspace) {
    std::u32string accepted;
    for (char32_t key : std::u32string(U"0159+-.,a e") + kBackspace) {
        if (SetmaxKeyPress(key)) accepted += key;
    }
    EXPECT_EQ(accepted, std::u32string(U"0159+-") + kBackspace);
}

}  // namespace
}  // namespace varlo
