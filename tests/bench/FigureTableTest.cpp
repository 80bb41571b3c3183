#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ShellRun.h"

namespace varlo::bench {
namespace {

// The table figure_table.sh prints from the given records.
test::ShellResult Table(const std::string& records) {
    return test::RunShell("printf '%s' '" + records + "' | \"$COMMON/figure_table.sh\"");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const std::string kRecords =
    "decode\tFIGURE\tframes decoded\t2375566\tframes/s\t>= 1000000\tmet\tin process\n"
    "serial_link\tFIGURE\tCPU per 10,000 frames\t0.1542\ts\t<= 0.02\tmissed\twake-ups 0.14 s\n"
    "serial_link\tFIGURE\tceiling\t2850\tframes/s\t-\tinfo\t\n"
    "decode\tEXIT\t0\n"
    "serial_link\tEXIT\t0\n";

TEST(FigureTable, AlignsTheFiguresAndCountsThemWithoutFailingOnAMiss) {
    const test::ShellResult table = Table(kRecords + "silent\tEXIT\t0\n");
    EXPECT_EQ(table.status, 0);  // a missed figure is a finding, not a failure
    const std::vector<std::string> lines = Lines(table.out);
    ASSERT_EQ(lines.size(), 8u) << table.out;
    // The header, a rule, one row a figure; values right-aligned under
    // "measured", the other columns left-aligned.
    const std::size_t measuredEnd = lines[0].find("measured") + 8;
    const std::size_t verdictAt = lines[0].find("verdict");
    EXPECT_EQ(lines[1].find_first_not_of("- "), std::string::npos);
    const std::pair<const char*, const char*> rows[] = {
        {"2375566", "met      in process"},
        {"0.1542", "missed   wake-ups 0.14 s"},
        {"2850", "info"},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string& row = lines[2 + i];
        EXPECT_EQ(row.find(rows[i].first) + std::string(rows[i].first).size(), measuredEnd) << row;
        EXPECT_EQ(row.substr(verdictAt), rows[i].second) << row;
    }
    EXPECT_EQ(lines[2].rfind("decode ", 0), 0u);
    EXPECT_NE(lines[5].find("silent"), std::string::npos);
    EXPECT_NE(lines[5].find("reported no figure"), std::string::npos);
    EXPECT_EQ(lines[6], "3 figures: 1 met, 1 missed, 1 without a target; 3 benchmarks, 0 failed");
    EXPECT_EQ(lines[7], "missed: serial_link: CPU per 10,000 frames");
}

TEST(FigureTable, ABenchmarkThatCrashedOrFailedFailsTheRun) {
    const test::ShellResult table =
        Table(kRecords +
              "chart\tEXIT\t139\ntable_files\tFIGURE\tXML load\t2.28\ts\t<= 2\tmissed\t\n"
              "table_files\tEXIT\t1\nwindow_frames\tEXIT\t124\n");
    EXPECT_EQ(table.status, 1);
    EXPECT_NE(table.out.find("FAILED   crashed: killed by signal 11"), std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("FAILED   failed: exit status 1"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("FAILED   timed out"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("4 figures: 1 met, 2 missed, 1 without a target; 5 benchmarks, "
                             "3 failed\n"),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("\nfailed: chart, table_files, window_frames\n"), std::string::npos)
        << table.out;
}

}  // namespace
}  // namespace varlo::bench
