// The reading grid over a log of 10,000,000 rows ("limitless"), beside one
// of 1,000 rows, offscreen: showing the grid; appending rows one at a time
// as the recorder does, each followed (the newest row current and in sight)
// and repainted; dragging the scroll bar's thumb from the top to the bottom
// in steps, each repainted; and the heap the grid takes beyond the log.
// Each figure is printed beside its target. Times are wall clock, with the
// process's CPU time beside them (Qt paints some fills on pool threads).
#include <malloc.h>

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "BenchFigure.h"
#include "app/ReadingGridView.h"
#include "recording/ReadingLog.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAppends = 1000;
constexpr int kDragSteps = 200;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// A recorded row of a slowly drifting DC reading, as the recorder writes it.
void Record(varlo::ReadingLog& log, std::size_t n) {
    char value[16];
    char time[16];
    const int counts = static_cast<int>(n % 20000);
    std::snprintf(value, sizeof value, "%d.%04d", counts / 10000, counts % 10000);
    const int s = static_cast<int>(n % 86400);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    log.AppendRow(static_cast<std::int32_t>(n + 1), time, "DC", value, "V",
                  counts < 15000 ? "Pass" : "Fail", counts);
}

struct Figures {
    double showMs = 0;
    double appendMs = 0;  // mean per row, wall
    double appendCpuMs = 0;
    double appendMaxMs = 0;
    double dragMaxMs = 0;  // the longest step
    double dragMeanMs = 0;
    double gridHeapBytes = 0;  // the most the grid held beyond the log
    double logBytesPerRow = 0;
};

// The heap in use beyond the log's own bytes.
double HeapBeyondLog(const varlo::ReadingLog& log) {
    return HeapInUse() - static_cast<double>(log.MemoryBytes());
}

Figures Measure(std::size_t rows) {
    Figures f;
    varlo::ReadingLog log;
    for (std::size_t n = 0; n < rows; ++n) Record(log, n);

    const double heapBefore = HeapBeyondLog(log);
    auto start = Clock::now();
    auto grid = std::make_unique<varlo::app::ReadingGridView>(log);
    grid->show();
    QApplication::processEvents();
    f.showMs = Milliseconds(Clock::now() - start);
    f.gridHeapBytes = HeapBeyondLog(log) - heapBefore;

    const double cpuStart = CpuMilliseconds();
    start = Clock::now();
    for (int i = 0; i < kAppends; ++i) {
        const auto step = Clock::now();
        Record(log, log.RowCount());
        QApplication::processEvents();
        f.appendMaxMs = std::max(f.appendMaxMs, Milliseconds(Clock::now() - step));
    }
    f.appendMs = Milliseconds(Clock::now() - start) / kAppends;
    f.appendCpuMs = (CpuMilliseconds() - cpuStart) / kAppends;
    f.gridHeapBytes = std::max(f.gridHeapBytes, HeapBeyondLog(log) - heapBefore);

    // The thumb held down and moved from the top to the bottom.
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(0);
    QApplication::processEvents();
    bar->setSliderDown(true);
    start = Clock::now();
    for (int i = 1; i <= kDragSteps; ++i) {
        const auto step = Clock::now();
        bar->setSliderPosition(
            static_cast<int>(static_cast<long long>(bar->maximum()) * i / kDragSteps));
        QApplication::processEvents();
        f.dragMaxMs = std::max(f.dragMaxMs, Milliseconds(Clock::now() - step));
    }
    f.dragMeanMs = Milliseconds(Clock::now() - start) / kDragSteps;
    bar->setSliderDown(false);
    QApplication::processEvents();
    if (bar->value() != bar->maximum()) std::fprintf(stderr, "the drag did not reach the end\n");
    f.gridHeapBytes = std::max(f.gridHeapBytes, HeapBeyondLog(log) - heapBefore);
    f.logBytesPerRow = static_cast<double>(log.MemoryBytes()) / static_cast<double>(log.RowCount());
    return f;
}

void Line(const char* what, const char* format, double small, double large, const char* target) {
    char a[32];
    char b[32];
    std::snprintf(a, sizeof a, format, small);
    std::snprintf(b, sizeof b, format, large);
    std::printf("  %-46s %12s %14s   %s\n", what, a, b, target);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t large = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;

    Measure(100);  // Qt's first show (fonts, style, caches) is not the grid's
    const Figures s = Measure(1000);
    const Figures l = Measure(large);
    const double rows = static_cast<double>(large);
    std::printf("reading grid: a log of 1,000 rows beside one of %zu\n", large);
    std::printf("  %-46s %12s %14s   %s\n", "", "1,000 rows", "large log", "target");
    Line("show the grid (ms)", "%.1f", s.showMs, l.showMs, "< 100");
    Line("append one row, follow it, repaint (ms, mean)", "%.3f", s.appendMs, l.appendMs,
         "well under 1; large within 2x of 1,000");
    Line("  the same, CPU time (ms, mean)", "%.3f", s.appendCpuMs, l.appendCpuMs, "");
    Line("  the slowest of the appends (ms)", "%.2f", s.appendMaxMs, l.appendMaxMs, "");
    Line("drag the thumb top to bottom: longest step (ms)", "%.1f", s.dragMaxMs, l.dragMaxMs,
         "< 50");
    Line("  mean step (ms)", "%.2f", s.dragMeanMs, l.dragMeanMs, "");
    Line("heap the grid takes beyond the log (bytes)", "%.0f", s.gridHeapBytes, l.gridHeapBytes,
         "a constant");
    Line("  per log row (bytes)", "%.4f", s.gridHeapBytes / 1000, l.gridHeapBytes / rows,
         "falls as 1/rows");
    Line("log and grid per log row (bytes)", "%.1f", s.logBytesPerRow + s.gridHeapBytes / 1000,
         l.logBytesPerRow + l.gridHeapBytes / rows, "<= 40 over the large log");

    using namespace varlo::bench;
    const std::string big = large == 10'000'000 ? "10M" : std::to_string(large);
    const std::string over = "over " + std::to_string(large) + " rows";
    Figure("show the grid", l.showMs, "ms", AtMost(100), over);
    Figure("append a row, follow it, repaint", l.appendMs, "ms", AtMost(1),
           over + ", mean of " + std::to_string(kAppends) + "; CPU time " +
               FormatMeasured(l.appendCpuMs) + " ms, the slowest " + FormatMeasured(l.appendMaxMs) +
               " ms; the target: well under 1");
    Ratio("append, follow, repaint, " + big + " against 1,000 rows", {big, l.appendMs},
          {"1,000", s.appendMs}, "ms", AtMost(2));
    Figure("drag the thumb top to bottom, longest step", l.dragMaxMs, "ms", AtMost(50),
           over + ", " + std::to_string(kDragSteps) + " steps, mean " +
               FormatMeasured(l.dragMeanMs) + " ms");
    Ratio("heap beyond the log, " + big + " against 1,000 rows", {big, l.gridHeapBytes},
          {"1,000", s.gridHeapBytes}, "B", AtMost(2), "the target: a constant");
    Figure("log and grid per log row", l.logBytesPerRow + l.gridHeapBytes / rows, "B", AtMost(40),
           over);
    return 0;
}
