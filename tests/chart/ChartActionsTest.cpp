#include <gtest/gtest.h>

#include "chart/ChartActions.h"
#include "chart/TChartControl.h"
#include "common/VarloError.h"

namespace varlo {
namespace {

TEST(ShowSeries, LeavesExactlyTheChosenSeriesActive) {
    TrendChartModel chart;
    chart.SetActive(0, true);
    chart.SetActive(1, true);
    ShowSeries(chart, 1);
    EXPECT_FALSE(chart.IsActive(0));
    EXPECT_TRUE(chart.IsActive(1));
    ShowSeries(chart, 0);
    EXPECT_TRUE(chart.IsActive(0));
    EXPECT_FALSE(chart.IsActive(1));

    for (int bad : {-1, 2}) {
        EXPECT_THROW(ShowSeries(chart, bad), VarloError);
        EXPECT_TRUE(chart.IsActive(0)) << bad;
        EXPECT_FALSE(chart.IsActive(1)) << bad;
    }
}

TEST(BtNewClick, SeedsEverySeriesWithAPlaceholderAndAppliesFill) {
    for (bool fill : {true, false}) {
        TrendChartModel chart;
        TChartControl control(chart, 100);
        control.SetYMax(220);
        control.SetYMin(-220);
        for (int i = 0; i < 250; ++i) control.AddValue(i);
        ShowSeries(chart, 1);

        BtNewClick(chart, fill);

        for (int s = 0; s < 2; ++s) {
            ASSERT_EQ(chart.PointCount(s), 1) << s;
            const ChartPoint placeholder = chart.PointAt(s, 0);
            EXPECT_EQ(placeholder.X, 0);
            EXPECT_FALSE(placeholder.Colour.has_value());
            EXPECT_GE(placeholder.Y, -220.0);
            EXPECT_LE(placeholder.Y, 220.0);
        }
        EXPECT_EQ(chart.RecordedValueCount(), 0u);
        EXPECT_EQ(chart.IsActive(0), fill);
        EXPECT_EQ(chart.IsActive(1), !fill);
        // Axes and paging stay as they were.
        EXPECT_EQ(chart.XMinimum(), 201);
        EXPECT_EQ(chart.XMaximum(), 300);
        EXPECT_EQ(chart.YMaximum(), 220);
        EXPECT_EQ(chart.YMinimum(), -220);
        EXPECT_EQ(control.GetPageNo(), 3);
        EXPECT_EQ(control.GetPageCount(), 3);
    }
}

TEST(BtNewClick, PlaceholdersAreNotAllTheSame) {
    TrendChartModel chart;
    chart.SetYMaximum(1000);
    BtNewClick(chart, true);
    const double first = chart.PointAt(0, 0).Y;
    bool differs = chart.PointAt(1, 0).Y != first;
    for (int i = 0; i < 5 && !differs; ++i) {
        BtNewClick(chart, true);
        differs = chart.PointAt(0, 0).Y != first;
    }
    EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace varlo
