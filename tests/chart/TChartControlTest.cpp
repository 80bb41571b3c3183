#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingChart.h"
#include "chart/ChartActions.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"
#include "common/VarloError.h"

namespace varlo {
namespace {

using test::RecordingChart;

struct Window {
    double Min;
    double Max;
    friend bool operator==(const Window&, const Window&) = default;
};

std::ostream& operator<<(std::ostream& out, const Window& w) {
    return out << w.Min << ".." << w.Max;
}

Window WindowOf(const ChartInterface& chart) {
    return {chart.XMinimum(), chart.XMaximum()};
}

void AddValues(TChartControl& control, int count) {
    for (int i = 0; i < count; ++i) control.AddValue(i * 0.5);
}

class PageControlTest : public ::testing::Test {
  protected:
    TrendChartModel chart;
    TChartControl control{chart, 100};
};

TEST_F(PageControlTest, CreateFixesTheFirstWindow) {
    EXPECT_FALSE(chart.XAutomatic());
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    EXPECT_EQ(control.GetPageSize(), 100);
    EXPECT_EQ(control.GetPageCount(), 1);
    EXPECT_EQ(control.GetPageNo(), 1);
    EXPECT_FALSE(control.GetBrowsing());
    EXPECT_EQ(&control.GetChart(), &chart);
}

TEST_F(PageControlTest, WindowMovesOnlyWhenANewPointLiesBeyondIt) {
    AddValues(control, 101);
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    EXPECT_EQ(control.GetPageCount(), 2);
    EXPECT_EQ(control.GetPageNo(), 2);

    control.AddValue(7.0);
    EXPECT_EQ(WindowOf(chart), (Window{101, 200}));
    EXPECT_EQ(control.GetPageNo(), 2);
    EXPECT_EQ(chart.PointCount(0), 102);
    EXPECT_EQ(chart.PointCount(1), 102);
}

TEST_F(PageControlTest, PriorPageOf101PointsShowsTheWindowLeftOfOne) {
    AddValues(control, 101);
    control.PriorPage();
    EXPECT_EQ(WindowOf(chart), (Window{-99, 0}));
    EXPECT_EQ(control.GetPageNo(), 1);
    EXPECT_TRUE(control.GetBrowsing());

    control.NextPage();
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    EXPECT_EQ(control.GetPageNo(), 2);
    EXPECT_FALSE(control.GetBrowsing());
}

TEST_F(PageControlTest, SetPageSizeShowsTheLastPage) {
    struct Case {
        int points;
        int pageCount;
        Window window;
    };
    for (const Case& c : std::vector<Case>{
             {250, 3, {201, 300}}, {200, 2, {101, 200}}, {1, 1, {1, 100}}, {0, 0, {1, 100}}}) {
        TrendChartModel model;
        TChartControl pager(model, 40);
        AddValues(pager, c.points);
        pager.FirstPage();
        pager.SetPageSize(100);
        EXPECT_EQ(pager.GetPageCount(), c.pageCount) << c.points;
        EXPECT_EQ(pager.GetPageNo(), c.pageCount) << c.points;
        EXPECT_EQ(WindowOf(model), c.window) << c.points;
        EXPECT_FALSE(pager.GetBrowsing()) << c.points;
    }
}

TEST_F(PageControlTest, PagingPastEitherEndChangesNothing) {
    AddValues(control, 50);
    control.PriorPage();
    control.FirstPage();
    EXPECT_FALSE(control.GetBrowsing());
    EXPECT_EQ(control.GetPageNo(), 1);
    AddValues(control, 300);
    control.FirstPage();
    control.PriorPage();
    EXPECT_EQ(control.GetPageNo(), 1);
    EXPECT_TRUE(control.GetBrowsing());
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));

    control.LastPage();
    const Window last = WindowOf(chart);
    EXPECT_EQ(last, (Window{301, 400}));
    control.NextPage();
    control.LastPage();
    EXPECT_EQ(control.GetPageNo(), 4);
    EXPECT_FALSE(control.GetBrowsing());
    EXPECT_EQ(WindowOf(chart), last);
}

TEST_F(PageControlTest, BrowsingKeepsTheWindowUntilLastPage) {
    AddValues(control, 250);
    control.FirstPage();
    EXPECT_TRUE(control.GetBrowsing());
    AddValues(control, 300);
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    EXPECT_EQ(control.GetPageNo(), 1);
    EXPECT_EQ(control.GetPageCount(), 6);

    control.NextPage();
    EXPECT_TRUE(control.GetBrowsing());
    EXPECT_EQ(control.GetPageNo(), 2);

    control.LastPage();
    EXPECT_EQ(WindowOf(chart), (Window{501, 600}));
    EXPECT_EQ(control.GetPageNo(), 6);
    EXPECT_FALSE(control.GetBrowsing());
    control.AddValue(1.0);  // X 551 stays in view
    control.AddValue(1.0);
    EXPECT_EQ(WindowOf(chart), (Window{501, 600}));
    EXPECT_EQ(control.GetPageNo(), 6);
}

TEST_F(PageControlTest, ClearAfterFivePagesKeepsThePageCountUntilTheNextValue) {
    AddValues(control, 480);
    ASSERT_EQ(control.GetPageCount(), 5);
    control.Clear();
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    EXPECT_EQ(chart.PointCount(0), 0);
    EXPECT_EQ(chart.PointCount(1), 0);
    EXPECT_EQ(control.GetPageNo(), 1);
    EXPECT_EQ(control.GetPageCount(), 5);
    EXPECT_FALSE(control.GetBrowsing());

    control.AddValue(3.0);
    EXPECT_EQ(control.GetPageNo(), 1);
    EXPECT_EQ(control.GetPageCount(), 1);
}

TEST_F(PageControlTest, SetPageSizeWithTheCurrentSizeDoesNothing) {
    AddValues(control, 250);
    control.FirstPage();
    AddValues(control, 100);
    control.SetPageSize(100);
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    EXPECT_EQ(control.GetPageNo(), 1);
    EXPECT_EQ(control.GetPageCount(), 4);
    EXPECT_TRUE(control.GetBrowsing());
}

TEST_F(PageControlTest, PageSizeBelowOneIsRefusedAndChangesNothing) {
    AddValues(control, 150);
    control.PriorPage();
    for (int count : {0, -1, -2147483647 - 1}) {
        try {
            control.SetPageSize(count);
            FAIL() << count << " accepted";
        } catch (const VarloError& e) {
            EXPECT_STREQ(e.what(), "Axis Maximum Value must be >= Minimum");
        }
        EXPECT_EQ(control.GetPageSize(), 100);
        EXPECT_EQ(control.GetPageNo(), 1);
        EXPECT_EQ(control.GetPageCount(), 2);
        EXPECT_TRUE(control.GetBrowsing());
        EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    }
    control.LastPage();
    control.AddValue(1.0);
    EXPECT_EQ(control.GetPageCount(), 2);
    EXPECT_EQ(chart.PointCount(0), 151);

    TrendChartModel other;
    EXPECT_THROW(TChartControl(other, 0), VarloError);
}

TEST_F(PageControlTest, SetPageSizeWhileTheWindowLiesLeftOfOne) {
    AddValues(control, 101);
    control.PriorPage();
    ASSERT_EQ(WindowOf(chart), (Window{-99, 0}));
    control.SetPageSize(50);
    EXPECT_EQ(WindowOf(chart), (Window{51, 100}));
    EXPECT_EQ(control.GetPageCount(), 3);
    EXPECT_EQ(control.GetPageNo(), 3);
}

TEST_F(PageControlTest, RecordNewStartsTheValuesAtTheLeftEdge) {
    AddValues(control, 230);
    control.Clear();
    BtNewClick(chart, true);
    control.AddValue(42.0);
    const ChartPointRange visible = chart.VisiblePoints();
    ASSERT_EQ(visible.Size(), 1);
    EXPECT_EQ(visible[0].X, 1);
    EXPECT_EQ(visible[0].Y, 42.0);
    AddValues(control, 99);
    EXPECT_EQ(WindowOf(chart), (Window{1, 100}));
    EXPECT_EQ(chart.VisiblePoints().Size(), 100);
    EXPECT_EQ(control.GetPageCount(), 2);  // the placeholder counts as a point
}

TEST(PageControlCalls, AddValueAppendsBlueToEverySeriesThenScrollsOnce) {
    RecordingChart chart;
    TChartControl control(chart, 100);
    chart.Calls.clear();
    control.AddValue(2.5);
    EXPECT_EQ(chart.Calls, (std::vector<std::string>{"Append 0", "Append 1", "ScrollX 100"}));
    for (int s = 0; s < 2; ++s) {
        ASSERT_EQ(chart.At(s).Points.size(), 1u);
        EXPECT_EQ(chart.At(s).Points[0].Y, 2.5);
        EXPECT_EQ(chart.At(s).Points[0].Label, "");
        EXPECT_EQ(chart.At(s).Points[0].Colour, ClBlue);
    }
}

TEST(PageControlCalls, YLimitsReachTheAxisOnlyWhenTheyChange) {
    RecordingChart chart;
    TChartControl control(chart, 100);
    chart.Calls.clear();
    control.SetYMax(22000);
    control.SetYMin(-22000);
    control.SetYMax(22000);
    control.SetYMin(-22000);
    control.SetYMax(22);
    control.SetYMin(-22);
    EXPECT_EQ(chart.Calls, (std::vector<std::string>{"SetYMaximum 22000", "SetYMinimum -22000",
                                                     "SetYMaximum 22", "SetYMinimum -22"}));
    EXPECT_EQ(control.GetYMax(), 22);
    EXPECT_EQ(control.GetYMin(), -22);
}

TEST(PageControlCalls, RefusedYLimitIsNotRememberedSoItCanBeRetried) {
    RecordingChart chart;
    TChartControl control(chart, 100);
    try {
        control.SetYMin(5);  // above the axis maximum 0
        FAIL();
    } catch (const VarloError& e) {
        EXPECT_STREQ(e.what(), "Axis Minimum Value must be <= Maximum");
    }
    EXPECT_EQ(control.GetYMin(), 0.0);
    control.SetYMax(10);
    control.SetYMin(5);
    EXPECT_EQ(chart.Y.Minimum(), 5);
    EXPECT_EQ(control.GetYMin(), 5);
}

}  // namespace
}  // namespace varlo
