#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "chart/TrendChartModel.h"
#include "chart/ValueStore.h"
#include "common/VarloError.h"

namespace varlo {
namespace {

void AppendToBoth(TrendChartModel& chart, double value) {
    chart.Series(0).Append(value, {}, ClBlue);
    chart.Series(1).Append(value, {}, ClBlue);
}

std::vector<int> Xs(const ChartPointRange& range) {
    std::vector<int> xs;
    for (const ChartPoint& p : range) xs.push_back(p.X);
    return xs;
}

TEST(TrendChartModel, AxisRefusalsKeepTheLimits) {
    TrendChartModel chart;
    chart.SetXMaximum(100);
    chart.SetXMinimum(1);
    chart.SetYMaximum(22);
    chart.SetYMinimum(-22);
    struct Case {
        void (TrendChartModel::*set)(double);
        double value;
        const char* text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : std::vector<Case>{
             {&TrendChartModel::SetXMinimum, 101, "Axis Minimum Value must be <= Maximum"},
             {&TrendChartModel::SetXMaximum, 0.5, "Axis Maximum Value must be >= Minimum"},
             {&TrendChartModel::SetYMinimum, 23, "Axis Minimum Value must be <= Maximum"},
             {&TrendChartModel::SetYMaximum, -23, "Axis Maximum Value must be >= Minimum"},
             {&TrendChartModel::SetYMaximum, nan, "Axis Maximum Value must be >= Minimum"},
         }) {
        try {
            (chart.*c.set)(c.value);
            ADD_FAILURE() << c.value << " accepted";
        } catch (const VarloError& e) {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
    EXPECT_EQ(chart.XMinimum(), 1);
    EXPECT_EQ(chart.XMaximum(), 100);
    EXPECT_EQ(chart.YMinimum(), -22);
    EXPECT_EQ(chart.YMaximum(), 22);
    chart.SetXMinimum(100);  // equal limits are allowed
    EXPECT_EQ(chart.XMinimum(), 100);
}

TEST(TrendChartModel, ScrollChecksTheActiveSeries) {
    // Series 0 holds a placeholder and so reaches one X further than series 1.
    TrendChartModel chart;
    chart.AddPlaceholder(0, 3.0);
    for (int i = 0; i < 100; ++i) AppendToBoth(chart, i);
    ASSERT_EQ(chart.PointCount(0), 101);
    ASSERT_EQ(chart.PointCount(1), 100);
    chart.SetXMaximum(99);
    chart.SetXMinimum(0);

    chart.SetActive(0, false);
    chart.SetActive(1, true);
    chart.ScrollX(50);  // greatest X of series 1 is 99, not beyond 99
    EXPECT_EQ(chart.XMaximum(), 99);
    chart.ScrollX(-50);  // smallest X 0 is not below 0
    EXPECT_EQ(chart.XMinimum(), 0);

    chart.SetActive(1, false);
    chart.SetActive(0, true);
    chart.ScrollX(50);
    EXPECT_EQ(chart.XMinimum(), 50);
    EXPECT_EQ(chart.XMaximum(), 149);
    chart.ScrollX(-60);
    EXPECT_EQ(chart.XMinimum(), -10);

    chart.SetActive(0, false);
    chart.ScrollX(-60);  // nothing active: nothing to scroll to
    EXPECT_EQ(chart.XMinimum(), -10);
}

TEST(TrendChartModel, SeriesShareOneCopyOfTheValues) {
    TrendChartModel chart;
    chart.AddPlaceholder(1, 8.0);
    for (int i = 0; i < 1000; ++i) AppendToBoth(chart, i * 0.25);
    EXPECT_EQ(chart.RecordedValueCount(), 1000u);
    EXPECT_EQ(chart.PointCount(0), 1000);
    EXPECT_EQ(chart.PointCount(1), 1001);
    EXPECT_EQ(chart.PointAt(0, 999).Y, 999 * 0.25);
    EXPECT_EQ(chart.PointAt(1, 1000).Y, 999 * 0.25);
    EXPECT_EQ(chart.PointAt(1, 0).Y, 8.0);
    EXPECT_FALSE(chart.PointAt(1, 0).Colour.has_value());
    EXPECT_EQ(chart.PointAt(1, 1).Colour, ClBlue);

    // A series that runs ahead records; one that lags must repeat the value.
    chart.Series(0).Append(5.0, {}, ClBlue);
    EXPECT_EQ(chart.RecordedValueCount(), 1001u);
    EXPECT_THROW(chart.Series(1).Append(6.0, {}, ClBlue), std::logic_error);
    EXPECT_THROW(chart.Series(1).Append(5.0, {}, RgbColour{255, 0, 0}), std::logic_error);
    chart.Series(1).Append(5.0, {}, ClBlue);
    EXPECT_EQ(chart.RecordedValueCount(), 1001u);
    EXPECT_EQ(chart.PointCount(1), 1002);

    // NaN matches itself as stored.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    AppendToBoth(chart, nan);
    EXPECT_TRUE(std::isnan(chart.PointAt(0, 1001).Y));

    EXPECT_THROW(chart.Series(0).Append(1.0, "label", ClBlue), std::invalid_argument);
    EXPECT_THROW(chart.Series(0).Append(1.0, {}, RgbColour{0, 255, 0}), std::invalid_argument);
    EXPECT_EQ(chart.RecordedValueCount(), 1002u);
}

TEST(TrendChartModel, ClearingEverySeriesReleasesTheValues) {
    TrendChartModel chart;
    for (int i = 0; i < 70000; ++i) AppendToBoth(chart, i);
    EXPECT_GT(chart.ValueBytes(), 70000u * 8u);
    chart.Series(0).Clear();
    EXPECT_EQ(chart.PointCount(0), 0);
    EXPECT_EQ(chart.PointCount(1), 70000);
    EXPECT_EQ(chart.PointAt(1, 69999).Y, 69999.0);
    chart.Series(0).Append(0.0, {}, ClBlue);  // catches up with series 1
    EXPECT_THROW(chart.Series(0).Append(7.0, {}, ClBlue), std::logic_error);
    chart.Series(0).Clear();
    chart.Series(1).Clear();
    EXPECT_EQ(chart.ValueBytes(), 0u);
    EXPECT_EQ(chart.RecordedValueCount(), 0u);
    chart.Series(1).Append(7.0, {}, RgbColour{1, 2, 3});  // a fresh start takes a new colour
    EXPECT_EQ(chart.PointAt(1, 0).Colour, (RgbColour{1, 2, 3}));
}

TEST(TrendChartModel, VisiblePointsAreTheActiveSeriesInsideTheWindow) {
    TrendChartModel chart;
    chart.AddPlaceholder(0, 4.0);
    chart.AddPlaceholder(1, 9.0);
    for (int i = 1; i <= 150; ++i) AppendToBoth(chart, i * 10.0);
    struct Case {
        double min, max;
        int active;
        std::vector<int> xs;
    };
    const std::vector<Case> cases{
        {-99, 0, 0, {0}},      {1, 3, 0, {1, 2, 3}}, {149, 248, 1, {149, 150}},
        {0.5, 2.5, 1, {1, 2}}, {151, 250, 0, {}},    {-10, -1, 0, {}},
    };
    for (const Case& c : cases) {
        chart.SetXMaximum(1e9);
        chart.SetXMinimum(c.min);
        chart.SetXMaximum(c.max);
        chart.SetActive(0, c.active == 0);
        chart.SetActive(1, c.active == 1);
        const ChartPointRange range = chart.VisiblePoints();
        EXPECT_EQ(Xs(range), c.xs) << c.min << ".." << c.max;
        EXPECT_EQ(range.Series(), c.active);
    }
    chart.SetXMinimum(-5);
    chart.SetXMaximum(2);
    chart.SetActive(0, false);
    chart.SetActive(1, true);
    const ChartPointRange range = chart.VisiblePoints();
    ASSERT_EQ(range.Size(), 3);
    EXPECT_EQ(range[0].Y, 9.0);
    EXPECT_FALSE(range[0].Colour.has_value());
    EXPECT_EQ(range[2].Y, 20.0);
    EXPECT_EQ(range[2].Colour, ClBlue);

    chart.SetActive(1, false);
    EXPECT_TRUE(chart.VisiblePoints().Empty());
}

TEST(TrendChartModel, EveryChangeIsAnnounced) {
    TrendChartModel chart;
    int calls = 0;
    chart.SetChangeListener([&] { ++calls; });
    const auto before = chart.Revision();
    chart.SetXMaximum(10);
    AppendToBoth(chart, 1.0);
    chart.SetActive(1, true);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(chart.Revision(), before + 4);

    chart.ScrollX(10);  // refused by the limit check: no change
    EXPECT_THROW(chart.SetXMinimum(11), VarloError);
    EXPECT_EQ(calls, 4);
}

TEST(TrendChartModel, SeriesIndexOutOfRange) {
    TrendChartModel chart;
    try {
        chart.Series(2);
        FAIL();
    } catch (const VarloError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (2)");
    }
    EXPECT_THROW(chart.SetActive(-1, true), VarloError);
    chart.Series(1).Append(1.0, {}, ClBlue);
    EXPECT_THROW(chart.PointAt(0, 0), std::out_of_range);
    EXPECT_THROW(chart.PointAt(1, 1), std::out_of_range);
    EXPECT_THROW(chart.PointAt(1, -1), std::out_of_range);
    EXPECT_EQ(chart.PointAt(1, 0).Y, 1.0);
    EXPECT_EQ(TrendChartModel::SeriesName(0), "Series2");
    EXPECT_EQ(TrendChartModel::SeriesName(1), "Series1");
}

TEST(ValueStore, ValuesSurviveBlockBoundaries) {
    ValueStore store;
    const std::size_t count = 2 * ValueStore::kBlockSize + 3;
    for (std::size_t i = 0; i < count; ++i) store.Append(static_cast<double>(i) * 1.5);
    ASSERT_EQ(store.Size(), count);
    for (std::size_t i : {std::size_t{0}, ValueStore::kBlockSize - 1, ValueStore::kBlockSize,
                          2 * ValueStore::kBlockSize, count - 1})
        EXPECT_EQ(store[i], static_cast<double>(i) * 1.5) << i;
    // Three blocks and the table: never more than one block of slack.
    EXPECT_LE(store.AllocatedBytes(),
              count * 8 + ValueStore::kBlockSize * 8 + ValueStore::kMaxBlocks * 8);
}

}  // namespace
}  // namespace varlo
