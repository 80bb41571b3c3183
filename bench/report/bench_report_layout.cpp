// Layout time of one report page at the start and at the end of a log of
// 10,000,000 rows (the "limitless" record limit): a page is laid out from its
// own rows, so the last page costs what the first does.

#include <chrono>
#include <cstdio>
#include <cstdlib>

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
    const bool ok = first <= kTargetMicroseconds && last <= kTargetMicroseconds;
    std::printf("report layout, %zu rows, %zu pages\n", rows, pages);
    std::printf("  making the layout:        %8.1f us\n", made.count());
    std::printf("  first page:               %8.1f us   target <= %.0f  %s\n", first,
                kTargetMicroseconds, first <= kTargetMicroseconds ? "ok" : "OVER");
    std::printf("  last page:                %8.1f us   target <= %.0f  %s\n", last,
                kTargetMicroseconds, last <= kTargetMicroseconds ? "ok" : "OVER");
    return ok ? 0 : 1;
}
