#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "BenchFigure.h"
#include "ShellRun.h"

namespace varlo::bench {
namespace {

TEST(BenchFigure, JudgesTheMeasuredValueAgainstItsTarget) {
    struct Case {
        double measured;
        Target target;
        const char* shown;
        const char* verdict;
    };
    const Case cases[] = {
        {0.02, AtMost(0.02), "<= 0.02", "met"},  // the limit itself meets it
        {0.0201, AtMost(0.02), "<= 0.02", "missed"},
        {1340000, AtLeast(1340000), ">= 1340000", "met"},
        {1339999.9, AtLeast(1340000), ">= 1340000", "missed"},
        {0.5, Between(0.5, 2), "0.5 .. 2", "met"},
        {2.01, Between(0.5, 2), "0.5 .. 2", "missed"},
        {0.49, Between(0.5, 2), "0.5 .. 2", "missed"},
        {std::nan(""), AtMost(2), "<= 2", "missed"},  // not measured never meets
        {INFINITY, AtLeast(1), ">= 1", "missed"},
        {-5, kNoTarget, "-", "info"},
        {std::nan(""), kNoTarget, "-", "info"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TargetText(c.target), c.shown);
        EXPECT_STREQ(Verdict(c.measured, c.target), c.verdict) << c.measured << " " << c.shown;
    }
}

TEST(BenchFigure, ShowsFourSignificantDigitsWithoutAnExponent) {
    const std::pair<double, const char*> cases[] = {
        {1923456.7, "1923457"}, {1000, "1000"},        {999.94, "999.9"},
        {33.2, "33.20"},        {2.28, "2.280"},       {0.1542, "0.1542"},
        {0.0042, "0.004200"},   {4e-7, "0.000000"},    {0, "0"},
        {-2.5, "-2.500"},       {std::nan(""), "nan"}, {-INFINITY, "-inf"},
    };
    for (const auto& [value, shown] : cases) EXPECT_EQ(FormatMeasured(value), shown) << value;
}

TEST(BenchFigure, WritesSevenFieldsOnOneLineWhateverTheTexts) {
    EXPECT_EQ(FigureLine("a\tname\nsplit", 1.5, "m\ts", AtMost(2), "note\r\nwith breaks"),
              "FIGURE\ta name split\t1.500\tm s\t<= 2\tmet\tnote  with breaks\n");
    EXPECT_EQ(FigureLine("shown", 12, "ms", kNoTarget), "FIGURE\tshown\t12.00\tms\t-\tinfo\t\n");
}

TEST(BenchFigure, RatioShowsBothSidesAndIsNotANumberOverZero) {
    testing::internal::CaptureStdout();
    Ratio("AddValue", {"10M", 5.1}, {"100", 4.9}, "ns", Between(0.5, 2), "medians");
    Ratio("zero", {"a", 1}, {"b", 0}, "ns", AtMost(2));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FIGURE\tAddValue\t1.041\tx\t0.5 .. 2\tmet\t10M 5.100 ns / 100 4.900 ns; medians\n"
              "FIGURE\tzero\tnan\tx\t<= 2\tmissed\ta 1.000 ns / b 0 ns\n");
}

// A shell benchmark's bench_figure and bench_ratio write what Figure and
// Ratio write for the same values and targets.
TEST(BenchFigure, ShellBenchmarksWriteTheSameLines) {
    struct Case {
        const char* measured;  // as the shell has it
        const char* target;
        double value;
        Target expected;
    };
    const Case cases[] = {
        {"1923456.7", ">= 1340000", 1923456.7, AtLeast(1340000)},
        {"1.8e6", ">=2000000", 1.8e6, AtLeast(2000000)},
        {"0.0201", "<= 0.02", 0.0201, AtMost(0.02)},
        {"0.02", "<=0.02", 0.02, AtMost(0.02)},
        {"2.01", "0.5 .. 2", 2.01, Between(0.5, 2)},
        {"0.75", "0.5..2", 0.75, Between(0.5, 2)},
        {"33.2", "-", 33.2, kNoTarget},
        {"-0.0042", "", -0.0042, kNoTarget},
        {"", "<= 2", std::nan(""), AtMost(2)},
        {"12 s", ">= 1", std::nan(""), AtLeast(1)},
    };
    std::string script = "source \"$COMMON/figure.sh\"\n";
    std::string expected;
    for (const Case& c : cases) {
        script += std::string("bench_figure 'a\tfigure' '") + c.measured + "' s '" + c.target +
                  "' 'its note'\n";
        expected += FigureLine("a\tfigure", c.value, "s", c.expected, "its note");
    }
    script += "bench_ratio AddValue 5.1 10M 4.9 100 ns '0.5 .. 2' medians\n";
    script += "bench_ratio zero 1 a 0 b ns '<= 2'\n";
    testing::internal::CaptureStdout();
    Ratio("AddValue", {"10M", 5.1}, {"100", 4.9}, "ns", Between(0.5, 2), "medians");
    Ratio("zero", {"a", 1}, {"b", 0}, "ns", AtMost(2));
    expected += testing::internal::GetCapturedStdout();

    const test::ShellResult shell = test::RunShell(script);
    EXPECT_EQ(shell.status, 0);
    EXPECT_EQ(shell.out, expected);
}

}  // namespace
}  // namespace varlo::bench
