// Cost of bringing the chart view up to date after one recorded value, with
// 100 and with 10,000,000 values in the model (page size 100). The target:
// the 10M chart within 2x of the 100-point one, since the view is only ever
// given the points of the X window.
//
// A cycle is one page of appends: 100 times AddValue, then the timed step.
// Both charts start each cycle on a full page, so the new window, its point
// counts and the page change at the first append are the same for both; the
// small chart is set back to 100 values before each cycle (untimed), the
// large one grows by 100 a cycle. Two steps are timed: Refresh alone, and
// Refresh followed by the repaint the window does next (events processed,
// the view painted).
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchFigure.h"
#include "app/ChartView.h"
#include "chart/ChartActions.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSmall = 100;
constexpr int kLarge = 10'000'000;
constexpr int kPage = 100;

struct Chart {
    varlo::TrendChartModel model;
    varlo::TChartControl control{model, kPage};
    varlo::app::ChartView view{model};
    explicit Chart(int points) {
        control.SetYMax(22000);
        control.SetYMin(-22000);
        Restart(points);
        view.show();
        QApplication::processEvents();
    }
    void Restart(int points) {
        control.Clear();
        varlo::BtNewClick(model, true);
        for (int i = 0; i < points; ++i) control.AddValue(Value(i));
        view.Refresh();
    }
    static double Value(int i) { return (i % 4000) * 10.0 - 20000.0; }
};

double Nanoseconds(Clock::duration d) {
    return std::chrono::duration<double, std::nano>(d).count();
}

// Median over cycles of the mean time of one step, in nanoseconds.
double MeasureCycles(Chart& chart, int restartPoints, int cycles, bool paint) {
    std::vector<double> means;
    int next = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (restartPoints > 0) chart.Restart(restartPoints);
        Clock::duration total{};
        for (int step = 0; step < kPage; ++step) {
            chart.control.AddValue(Chart::Value(next++));
            const auto start = Clock::now();
            chart.view.Refresh();
            if (paint) {
                QApplication::processEvents();
                chart.view.repaint();
            }
            total += Clock::now() - start;
        }
        means.push_back(Nanoseconds(total) / kPage);
    }
    std::nth_element(means.begin(), means.begin() + means.size() / 2, means.end());
    return means[means.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const auto fillStart = Clock::now();
    Chart large(kLarge);
    const double fillSeconds = Nanoseconds(Clock::now() - fillStart) / 1e9;
    Chart small(kSmall);
    std::printf("chart view: filled 10,000,000 values in %.1f s\n", fillSeconds);

    struct Row {
        const char* name;
        bool paint;
        int cycles;
    };
    std::printf(
        "\nTime per step after one AddValue, page size 100 (median of cycles of 100 appends)\n");
    std::printf("  %-18s %14s %14s %7s  %s\n", "step", "100 pts (ns)", "10M pts (ns)", "ratio",
                "target <= 2.0");
    for (const Row& row : {Row{"Refresh", false, 200}, Row{"Refresh + repaint", true, 30}}) {
        // Warm both once, then alternate so that drift hits both alike.
        MeasureCycles(small, kSmall, 2, row.paint);
        MeasureCycles(large, 0, 2, row.paint);
        std::vector<double> smallTimes;
        std::vector<double> largeTimes;
        for (int round = 0; round < 3; ++round) {
            smallTimes.push_back(MeasureCycles(small, kSmall, row.cycles, row.paint));
            largeTimes.push_back(MeasureCycles(large, 0, row.cycles, row.paint));
        }
        std::sort(smallTimes.begin(), smallTimes.end());
        std::sort(largeTimes.begin(), largeTimes.end());
        const double ratio = largeTimes[1] / smallTimes[1];
        std::printf("  %-18s %14.0f %14.0f %7.2f  %s\n", row.name, smallTimes[1], largeTimes[1],
                    ratio, ratio <= 2.0 ? "meets" : "misses");
        varlo::bench::Ratio(std::string(row.name) + " after AddValue, 10M against 100 points",
                            {"10M", largeTimes[1]}, {"100", smallTimes[1]}, "ns",
                            varlo::bench::AtMost(2.0), "page size 100, medians");
    }
    std::printf("  (the 10M chart held %d values at the end)\n",
                large.model.PointCount(varlo::TrendChartModel::kAreaSeries) - 1);
    return 0;
}
