// The reading grid over a log of 10,000,000 rows ("limitless"), beside one
// of 1,000 rows: showing the grid, appending 1,000 rows one at a time as the
// recorder does (the newest row becomes current and is scrolled into view),
// and scrolling to the end and to the middle. Each step is timed with the
// event processing that follows it, the grid's repaint included. Prints each
// time and the heap the view takes beyond the log.
#include <malloc.h>

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/ReadingGridView.h"
#include "recording/ReadingLog.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAppends = 1000;
constexpr int kScrolls = 20;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
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
    double viewHeapBytes = 0;
    double appendMs = 0;  // per row, with its repaint
    double endMs = 0;     // median of kScrolls
    double middleMs = 0;
};

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

Figures Measure(std::size_t rows) {
    Figures f;
    varlo::ReadingLog log;
    for (std::size_t n = 0; n < rows; ++n) Record(log, n);

    const std::size_t heapBefore = HeapInUse();
    auto start = Clock::now();
    auto grid = std::make_unique<varlo::app::ReadingGridView>(log);
    grid->show();
    QApplication::processEvents();
    f.showMs = Milliseconds(Clock::now() - start);
    f.viewHeapBytes = static_cast<double>(HeapInUse() - heapBefore);

    start = Clock::now();
    for (int i = 0; i < kAppends; ++i) {
        Record(log, log.RowCount());
        QApplication::processEvents();
    }
    f.appendMs = Milliseconds(Clock::now() - start) / kAppends;

    QScrollBar* bar = grid->verticalScrollBar();
    std::vector<double> ends;
    std::vector<double> middles;
    for (int i = 0; i < kScrolls; ++i) {
        grid->scrollToTop();
        QApplication::processEvents();
        start = Clock::now();
        grid->scrollToBottom();
        QApplication::processEvents();
        ends.push_back(Milliseconds(Clock::now() - start));

        start = Clock::now();
        bar->setValue(bar->maximum() / 2);
        QApplication::processEvents();
        middles.push_back(Milliseconds(Clock::now() - start));
    }
    f.endMs = Median(ends);
    f.middleMs = Median(middles);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t large = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;

    const Figures s = Measure(1000);
    const Figures l = Measure(large);
    std::printf("reading grid: a log of 1,000 rows beside one of %zu\n", large);
    std::printf("  %-44s %12s %12s\n", "", "1,000 rows", "large log");
    std::printf("  %-44s %12.1f %12.1f\n", "show the grid (ms)", s.showMs, l.showMs);
    std::printf("  %-44s %12.1f %12.1f\n", "heap the view takes, bytes per log row",
                s.viewHeapBytes / 1000, l.viewHeapBytes / static_cast<double>(large));
    std::printf("  %-44s %12.3f %12.3f\n", "append one row, follow it, repaint (ms)", s.appendMs,
                l.appendMs);
    std::printf("  %-44s %12.3f %12.3f\n", "  1,000 appends in all (ms)", s.appendMs * kAppends,
                l.appendMs * kAppends);
    std::printf("  %-44s %12.3f %12.3f\n", "scroll to the end and repaint (ms, median)", s.endMs,
                l.endMs);
    std::printf("  %-44s %12.3f %12.3f\n", "scroll to the middle and repaint (ms, median)",
                s.middleMs, l.middleMs);
    return 0;
}
