// Layout time of one report page at the start and at the end of a log of
// 10,000,000 rows (the "limitless" record limit): a page is laid out from its
// own rows, so the last page costs what the first does.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchFigure.h"
#include "ReportRows.h"
#include "recording/ReportLayout.h"

namespace {

constexpr double kTargetMicroseconds = 1000.0;  // per page, anywhere in the log

double MicrosecondsPerPage(const varlo::ReportLayout& layout, std::size_t page) {
    constexpr int kRepeats = 200;
    std::size_t texts = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRepeats; ++i) texts += layout.Page(page).texts.size();
    const std::chrono::duration<double, std::micro> spent =
        std::chrono::steady_clock::now() - start;
    if (texts == 0) std::abort();
    return spent.count() / kRepeats;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;
    varlo::ReadingLog log;
    varlo::bench::FillReportRows(log, rows);

    const auto start = std::chrono::steady_clock::now();
    const varlo::ReportLayout layout(log);
    const std::size_t pages = layout.PageCount();
    const std::chrono::duration<double, std::micro> made = std::chrono::steady_clock::now() - start;

    const double first = MicrosecondsPerPage(layout, 0);
    const double last = MicrosecondsPerPage(layout, pages - 1);
    std::printf("report layout, %zu rows, %zu pages\n", rows, pages);
    using namespace varlo::bench;
    const std::string of =
        "of " + std::to_string(pages) + " pages, " + std::to_string(rows) + " rows";
    Figure("making the layout", made.count(), "us", kNoTarget, of);
    Figure("laying out the first page", first, "us", AtMost(kTargetMicroseconds), of);
    Figure("laying out the last page", last, "us", AtMost(kTargetMicroseconds), of);
    return 0;
}
