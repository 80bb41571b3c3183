// The page controller moves the window in one step where paging crosses many
// pages. These tests hold it against a controller that scrolls page by page,
// as the paging rules are written, on the same sequences of operations.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "chart/ChartActions.h"
#include "chart/PageScroll.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"

namespace varlo {
namespace {

// Page controller that scrolls once per page crossed.
class SteppingControl {
  public:
    SteppingControl(ChartInterface& chart, int pageSize) : chart_(chart) {
        SetPageSize(pageSize);
        chart_.SetXAutomatic(false);
        ShowFirstWindow(pageSize);
        pageCount_ = 1;
        pageNo_ = 1;
    }
    void AddValue(double value) {
        for (int i = 0; i < chart_.SeriesCount(); ++i) chart_.Series(i).Append(value, {}, ClBlue);
        CountPages();
        if (!browsing_) {
            chart_.ScrollX(pageSize_);
            pageNo_ = pageCount_;
        }
    }
    void FirstPage() {
        if (pageCount_ < 2 || pageNo_ == 1) return;
        for (int i = 0; i < pageNo_ - 1; ++i) chart_.ScrollX(-pageSize_);
        pageNo_ = 1;
        browsing_ = true;
    }
    void PriorPage() {
        if (pageNo_ < 2) return;
        chart_.ScrollX(-pageSize_);
        --pageNo_;
        browsing_ = true;
    }
    void NextPage() {
        if (pageCount_ < 2 || pageNo_ == pageCount_) return;
        chart_.ScrollX(pageSize_);
        ++pageNo_;
        browsing_ = pageNo_ != pageCount_;
    }
    void LastPage() {
        if (pageCount_ < 2 || pageNo_ == pageCount_) return;
        for (int i = 0; i < pageCount_ - pageNo_; ++i) chart_.ScrollX(pageSize_);
        pageNo_ = pageCount_;
        browsing_ = false;
    }
    void SetPageSize(int count) {
        if (count < 1 || count == pageSize_) return;
        pageSize_ = count;
        ShowFirstWindow(count);
        CountPages();
        for (int i = 0; i < pageCount_ - 1; ++i) chart_.ScrollX(pageSize_);
        pageNo_ = pageCount_;
        browsing_ = false;
    }
    void Clear() {
        FirstPage();
        for (int i = 0; i < chart_.SeriesCount(); ++i) chart_.Series(i).Clear();
        browsing_ = false;
    }
    int PageNo() const { return pageNo_; }
    int PageCount() const { return pageCount_; }
    bool Browsing() const { return browsing_; }

  private:
    void ShowFirstWindow(int pageSize) {
        if (chart_.XMaximum() < 1.0) {
            chart_.SetXMaximum(pageSize);
            chart_.SetXMinimum(1.0);
        } else {
            chart_.SetXMinimum(1.0);
            chart_.SetXMaximum(pageSize);
        }
    }
    void CountPages() {
        const int n = chart_.Series(0).PointCount();
        pageCount_ = n / pageSize_ + (n % pageSize_ > 0 ? 1 : 0);
    }

    ChartInterface& chart_;
    int pageNo_ = 1;
    int pageSize_ = 0;
    int pageCount_ = 1;
    bool browsing_ = false;
};

int SteppedRightMoves(double maximum, std::optional<XExtent> extent, double step, int tries) {
    int moves = 0;
    for (int i = 0; i < tries; ++i) {
        if (extent && extent->Greatest > maximum) {
            maximum += step;
            ++moves;
        }
    }
    return moves;
}

int SteppedLeftMoves(double minimum, std::optional<XExtent> extent, double step, int tries) {
    int moves = 0;
    for (int i = 0; i < tries; ++i) {
        if (extent && extent->Smallest < minimum) {
            minimum -= step;
            ++moves;
        }
    }
    return moves;
}

TEST(ScrollMoves, MatchScrollingStepByStep) {
    // Edges around the extent, whole and fractional, tries from none to many.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> edge(-400, 400);
    std::uniform_int_distribution<int> steps(1, 60);
    std::uniform_int_distribution<int> tries(-2, 50);
    std::uniform_int_distribution<int> quarter(0, 3);
    const XExtent extent{0.0, 199.0};
    for (int i = 0; i < 20000; ++i) {
        const double at = edge(random) + (i % 2 ? quarter(random) * 0.25 : 0.0);
        const double step = steps(random) + (i % 3 == 0 ? 0.5 : 0.0);
        const int n = tries(random);
        ASSERT_EQ(RightScrollMoves(at, extent, step, n), SteppedRightMoves(at, extent, step, n))
            << "max " << at << " step " << step << " tries " << n;
        ASSERT_EQ(LeftScrollMoves(at, extent, step, n), SteppedLeftMoves(at, extent, step, n))
            << "min " << at << " step " << step << " tries " << n;
    }
    EXPECT_EQ(RightScrollMoves(0, std::nullopt, 1, 10), 0);
    EXPECT_EQ(LeftScrollMoves(10, std::nullopt, 1, 10), 0);
}

TEST(ScrollMoves, ManyPagesOfALongLog) {
    // 10 million points, one-point pages: the window crosses every page.
    const XExtent extent{0.0, 9999999.0};
    EXPECT_EQ(RightScrollMoves(1.0, extent, 1.0, 2147483647), 9999998);
    EXPECT_EQ(LeftScrollMoves(9999999.0, extent, 1.0, 9999998), 9999998);
    EXPECT_EQ(RightScrollMoves(100.0, extent, 100.0, 99999), 99999);
    EXPECT_EQ(RightScrollMoves(100.0, extent, 100.0, 100000), 99999);
}

struct Pair {
    TrendChartModel fastChart;
    TrendChartModel steppedChart;
    std::optional<TChartControl> fast;
    std::optional<SteppingControl> stepped;

    explicit Pair(int pageSize) {
        fast.emplace(fastChart, pageSize);
        stepped.emplace(steppedChart, pageSize);
    }
    template <typename Operation>
    void Both(Operation operation) {
        operation(fastChart);
        operation(steppedChart);
    }
    ::testing::AssertionResult Same(const std::string& after) const {
        if (fastChart.XMinimum() != steppedChart.XMinimum() ||
            fastChart.XMaximum() != steppedChart.XMaximum() ||
            fast->GetPageNo() != stepped->PageNo() ||
            fast->GetPageCount() != stepped->PageCount() ||
            fast->GetBrowsing() != stepped->Browsing() ||
            fastChart.PointCount(0) != steppedChart.PointCount(0) ||
            fastChart.PointCount(1) != steppedChart.PointCount(1)) {
            return ::testing::AssertionFailure()
                   << "after " << after << ": window " << fastChart.XMinimum() << ".."
                   << fastChart.XMaximum() << " vs " << steppedChart.XMinimum() << ".."
                   << steppedChart.XMaximum() << ", page " << fast->GetPageNo() << "/"
                   << fast->GetPageCount() << " vs " << stepped->PageNo() << "/"
                   << stepped->PageCount() << ", browsing " << fast->GetBrowsing() << " vs "
                   << stepped->Browsing();
        }
        return ::testing::AssertionSuccess();
    }
};

// Every sequence mixes appends (single and in bursts) with paging, page size
// changes, Clear, "New" and series choices that leave the placeholder in one
// series only, so the active series is sometimes one point shorter than
// series 0.
TEST(PagingAgainstStepping, RandomOperationSequences) {
    std::mt19937 random(2024);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int run = 0; run < 300; ++run) {
        Pair pair(pick(1, 30));
        ASSERT_TRUE(pair.Same("create"));
        for (int step = 0; step < 120; ++step) {
            std::string name;
            switch (pick(0, 11)) {
                case 0:
                case 1: {
                    const int count = pick(0, 3) == 0 ? pick(50, 600) : 1;
                    name = "add " + std::to_string(count);
                    for (int i = 0; i < count; ++i) {
                        pair.fast->AddValue(i);
                        pair.stepped->AddValue(i);
                    }
                    break;
                }
                case 2:
                    name = "first";
                    pair.fast->FirstPage();
                    pair.stepped->FirstPage();
                    break;
                case 3:
                    name = "prior";
                    pair.fast->PriorPage();
                    pair.stepped->PriorPage();
                    break;
                case 4:
                    name = "next";
                    pair.fast->NextPage();
                    pair.stepped->NextPage();
                    break;
                case 5:
                    name = "last";
                    pair.fast->LastPage();
                    pair.stepped->LastPage();
                    break;
                case 6: {
                    const int size = pick(1, 40);
                    name = "page size " + std::to_string(size);
                    pair.fast->SetPageSize(size);
                    pair.stepped->SetPageSize(size);
                    break;
                }
                case 7:
                    if (pick(0, 3) != 0) continue;
                    name = "clear";
                    pair.fast->Clear();
                    pair.stepped->Clear();
                    break;
                case 8: {
                    const bool fill = pick(0, 1) == 1;
                    name = "new";
                    pair.Both([&](TrendChartModel& chart) { BtNewClick(chart, fill); });
                    break;
                }
                case 9: {
                    const int series = pick(0, 1);
                    name = "show " + std::to_string(series);
                    pair.Both([&](TrendChartModel& chart) { ShowSeries(chart, series); });
                    break;
                }
                case 10: {
                    // Placeholder in one series only, the other active or not.
                    const int seeded = pick(0, 1);
                    const int shown = pick(0, 1);
                    name = "seed " + std::to_string(seeded) + " show " + std::to_string(shown);
                    pair.Both([&](TrendChartModel& chart) {
                        chart.Series(0).Clear();
                        chart.Series(1).Clear();
                        chart.AddPlaceholder(seeded, 5.0);
                        ShowSeries(chart, shown);
                    });
                    break;
                }
                default:
                    name = "none active";
                    pair.Both([&](TrendChartModel& chart) {
                        chart.SetActive(0, false);
                        chart.SetActive(1, false);
                    });
                    break;
            }
            ASSERT_TRUE(pair.Same(name)) << "run " << run << " step " << step;
        }
    }
}

}  // namespace
}  // namespace varlo
