// Cost of appending a value and of paging on the trend chart, on a chart of
// 100 points and one of 10,000,000, and the memory the values take. The
// targets: each operation within 2x between the two sizes, and at most 8
// bytes a recorded point plus a constant.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchFigure.h"
#include "chart/ChartActions.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"

namespace {

using varlo::TChartControl;
using varlo::TrendChartModel;

constexpr int kSmall = 100;
constexpr int kLarge = 10'000'000;
constexpr int kBatch = 200;      // appends timed together
constexpr int kPagingSize = 10;  // points per page while paging: 10 pages at 100 points
constexpr int kAppendRounds = 5000;
constexpr int kPagingRounds = 20000;

struct TrendChart {
    TrendChartModel chart;
    TChartControl control;
    explicit TrendChart(int pageSize) : control(chart, pageSize) { varlo::BtNewClick(chart, true); }
    void Fill(int points) {
        for (int i = 0; i < points; ++i) control.AddValue(static_cast<double>(i % 2001) - 1000.0);
    }
};

// One chart per benchmark and size, filled once and kept across the runs.
TrendChart& ChartFor(const std::string& use, int points, int pageSize) {
    static std::map<std::string, std::unique_ptr<TrendChart>> charts;
    const std::string key = use + "/" + std::to_string(points);
    auto& slot = charts[key];
    if (!slot) {
        slot = std::make_unique<TrendChart>(pageSize);
        slot->Fill(points);
    }
    return *slot;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Time per AddValue. The small chart is set back to 100 points before every
// batch (untimed), so it holds 100 to 300; the large one grows from 10
// million by at most kBatch * kAppendRounds * 3.
void BM_AddValue(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    TrendChart& t = ChartFor("add", points, 100);
    double value = 0.0;
    for (auto _ : state) {
        if (points == kSmall) {
            t.control.Clear();
            varlo::BtNewClick(t.chart, true);
            t.Fill(kSmall);
        }
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBatch; ++i) t.control.AddValue(value += 0.5);
        state.SetIterationTime(Seconds(start) / kBatch);
    }
}

void BM_FirstPage(benchmark::State& state) {
    TrendChart& t = ChartFor("paging", static_cast<int>(state.range(0)), kPagingSize);
    for (auto _ : state) {
        t.control.LastPage();
        const auto start = std::chrono::steady_clock::now();
        t.control.FirstPage();
        state.SetIterationTime(Seconds(start));
    }
    benchmark::DoNotOptimize(t.control.GetPageNo());
}

void BM_LastPage(benchmark::State& state) {
    TrendChart& t = ChartFor("paging", static_cast<int>(state.range(0)), kPagingSize);
    for (auto _ : state) {
        t.control.FirstPage();
        const auto start = std::chrono::steady_clock::now();
        t.control.LastPage();
        state.SetIterationTime(Seconds(start));
    }
    benchmark::DoNotOptimize(t.control.GetPageNo());
}

// Alternates between two page sizes so that every call recomputes the pages.
void BM_SetPageSize(benchmark::State& state) {
    TrendChart& t = ChartFor("paging", static_cast<int>(state.range(0)), kPagingSize);
    int size = kPagingSize;
    for (auto _ : state) {
        size = size == kPagingSize ? kPagingSize + 1 : kPagingSize;
        const auto start = std::chrono::steady_clock::now();
        t.control.SetPageSize(size);
        state.SetIterationTime(Seconds(start));
    }
    t.control.SetPageSize(kPagingSize);
}

BENCHMARK(BM_AddValue)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->UseManualTime()
    ->Iterations(kAppendRounds)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FirstPage)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->UseManualTime()
    ->Iterations(kPagingRounds)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_LastPage)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->UseManualTime()
    ->Iterations(kPagingRounds)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_SetPageSize)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->UseManualTime()
    ->Iterations(kPagingRounds)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kNanosecond);

// Keeps the median time of every benchmark, in nanoseconds, by name.
class MedianReporter : public benchmark::ConsoleReporter {
  public:
    MedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name != "median") continue;
            medians[run.run_name.function_name + "/" + run.run_name.args] =
                run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Fills a chart of 10 million points from empty, into memory the process has
// never touched: the cost of AddValue with the operating system's first
// touch of every new page, and the memory the values take.
void ReportFreshFill() {
    TrendChart small(100);
    small.Fill(kSmall);
    const std::size_t heapBefore = HeapInUse();
    auto large = std::make_unique<TrendChart>(100);
    const auto start = std::chrono::steady_clock::now();
    large->Fill(kLarge);
    const double fillSeconds = Seconds(start);
    const std::size_t heapGrowth = HeapInUse() - heapBefore;

    const double smallBytes = static_cast<double>(small.chart.ValueBytes());
    const double largeBytes = static_cast<double>(large->chart.ValueBytes());
    const double marginal = (largeBytes - smallBytes) / (kLarge - kSmall);
    std::printf(
        "Filling 10,000,000 points from empty into fresh memory: %.1f ns per AddValue "
        "(page faults of new memory included)\n\n",
        fillSeconds * 1e9 / kLarge);
    std::printf(
        "Memory of the recorded values (target: at most 8 bytes a point plus a constant)\n");
    std::printf(
        "  values stored            : %zu at 100 points, %zu at 10,000,000 "
        "(one copy for both series)\n",
        small.chart.RecordedValueCount(), large->chart.RecordedValueCount());
    std::printf("  bytes held at 100 points : %.0f (the constant: block table and first block)\n",
                smallBytes);
    std::printf("  bytes held at 10M points : %.0f\n", largeBytes);
    std::printf("  bytes per added point    : %.4f  [%s]\n", marginal,
                marginal <= 8.0 ? "meets target" : "misses target");
    std::printf(
        "  beyond 8 bytes a point   : %.0f bytes at 10M points (at most one block of %zu)\n",
        largeBytes - 8.0 * kLarge, static_cast<std::size_t>(varlo::ValueStore::kBlockSize * 8));
    std::printf(
        "  heap growth while filling 10M (allocator's count, whole chart and controller): "
        "%zu bytes = %.4f per point\n\n",
        heapGrowth, static_cast<double>(heapGrowth) / kLarge);

    using namespace varlo::bench;
    Figure("AddValue filling 10M points into fresh memory", fillSeconds * 1e9 / kLarge, "ns",
           kNoTarget, "page faults of new memory included");
    Figure("bytes held per added point, 100 to 10M", marginal, "B", AtMost(8.0),
           "the chart's own count, one copy for both series");
    // The heap a point takes: the allocator's count, less the constants
    // the chart's own count holds (its block table and the free room of the
    // last block). Whatever the allocator adds to the value blocks stays in.
    const double constants = largeBytes - 8.0 * kLarge;
    const std::size_t blocks =
        (kLarge + varlo::ValueStore::kBlockSize - 1) / varlo::ValueStore::kBlockSize;
    Figure("heap per point filling 10M, less the chart's constants",
           (static_cast<double>(heapGrowth) - constants) / kLarge, "B", AtMost(8.0),
           "the allocator's count less " + FormatMeasured(constants / 1024) +
               " KB of block table and free room; the allocator adds " +
               FormatMeasured((static_cast<double>(heapGrowth) - largeBytes) / blocks) +
               " B to each of the " + std::to_string(blocks) + " value blocks of " +
               std::to_string(varlo::ValueStore::kBlockSize * 8 / 1024) + " KB");
}

// From here on the allocator keeps freed memory and serves the value blocks
// from its heap, and that heap is touched once in advance: the small and the
// large chart then append into memory in the same state, so what differs
// between them is the chart code alone.
void WarmTheHeap() {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<char*> chunks;
    for (int i = 0; i < 320; ++i) {
        char* chunk = static_cast<char*>(std::malloc(kChunk));
        std::memset(chunk, 1, kChunk);
        chunks.push_back(chunk);
    }
    for (char* chunk : chunks) std::free(chunk);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ReportFreshFill();
    WarmTheHeap();
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf(
        "\nCost at 100 against 10,000,000 points, medians of 3, warm heap "
        "(target: within 2x)\n");
    std::printf("  %-12s %14s %14s %8s  %s\n", "operation", "100 pts (ns)", "10M pts (ns)", "ratio",
                "target 0.5 .. 2.0");
    for (const char* name : {"BM_AddValue", "BM_FirstPage", "BM_LastPage", "BM_SetPageSize"}) {
        const auto small = reporter.medians.find(std::string(name) + "/" + std::to_string(kSmall));
        const auto large = reporter.medians.find(std::string(name) + "/" + std::to_string(kLarge));
        if (small == reporter.medians.end() || large == reporter.medians.end()) continue;
        const double ratio = large->second / small->second;
        std::printf("  %-12s %14.1f %14.1f %8.2f  %s\n", name + 3, small->second, large->second,
                    ratio, ratio <= 2.0 && ratio >= 0.5 ? "meets" : "misses");
        varlo::bench::Ratio(std::string(name + 3) + ", 10M against 100 points",
                            {"10M", large->second}, {"100", small->second}, "ns",
                            varlo::bench::Between(0.5, 2.0), "medians of 3, warm heap");
    }
    std::printf(
        "  (AddValue per call, timed in batches of %d; paging with %d points a page: "
        "9 pages crossed at 100 points, 999,999 at 10M)\n",
        kBatch, kPagingSize);
    benchmark::Shutdown();
    return 0;
}
