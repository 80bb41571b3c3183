#include "chart/TChartControl.h"

#include "chart/AxisRange.h"
#include "chart/PageScroll.h"
#include "common/VarloError.h"

namespace varlo {

TChartControl::TChartControl(ChartInterface& Chart, int PageSize) : Chart(Chart) {
    SetPageSize(PageSize);
    Chart.SetXAutomatic(false);
    ShowFirstWindow(PageSize);
    PageCount = 1;
    PageNo = 1;
}

void TChartControl::AddValue(double Value) {
    const int seriesCount = Chart.SeriesCount();
    for (int i = 0; i < seriesCount; ++i) Chart.Series(i).Append(Value, {}, ClBlue);
    CountPages();
    if (!Browsing) {
        Chart.ScrollX(PageSize);
        PageNo = PageCount;
    }
}

void TChartControl::FirstPage() {
    if (PageCount < 2 || PageNo == 1) return;
    ScrollPagesLeft(PageNo - 1);
    PageNo = 1;
    Browsing = true;
}

void TChartControl::PriorPage() {
    if (PageNo < 2) return;
    Chart.ScrollX(-PageSize);
    --PageNo;
    Browsing = true;
}

void TChartControl::NextPage() {
    if (PageCount < 2 || PageNo == PageCount) return;
    Chart.ScrollX(PageSize);
    ++PageNo;
    Browsing = PageNo != PageCount;
}

void TChartControl::LastPage() {
    if (PageCount < 2 || PageNo == PageCount) return;
    ScrollPagesRight(PageCount - PageNo);
    PageNo = PageCount;
    Browsing = false;
}

void TChartControl::SetPageSize(int Count) {
    // Checked first: a page size below 1 would leave no valid window and
    // divide by zero on the next append.
    if (Count < 1) throw VarloError(kAxisMaximumRefused);
    if (Count == PageSize) return;
    ShowFirstWindow(Count);
    PageSize = Count;
    CountPages();
    ScrollPagesRight(PageCount - 1);
    PageNo = PageCount;
    Browsing = false;
}

void TChartControl::SetYMax(double Value) {
    if (Value == YMax) return;
    Chart.SetYMaximum(Value);
    YMax = Value;
}

void TChartControl::SetYMin(double Value) {
    if (Value == YMin) return;
    Chart.SetYMinimum(Value);
    YMin = Value;
}

void TChartControl::Clear() {
    FirstPage();
    const int seriesCount = Chart.SeriesCount();
    for (int i = 0; i < seriesCount; ++i) Chart.Series(i).Clear();
    Browsing = false;
}

// Sets the X window to 1 .. pageSize. When the window lies wholly left of 1
// (paged back to the placeholder) the maximum goes first, so that the axis
// never sees a minimum above its maximum.
void TChartControl::ShowFirstWindow(int pageSize) {
    if (Chart.XMaximum() < 1.0) {
        Chart.SetXMaximum(pageSize);
        Chart.SetXMinimum(1.0);
    } else {
        Chart.SetXMinimum(1.0);
        Chart.SetXMaximum(pageSize);
    }
}

void TChartControl::CountPages() {
    const int points = Chart.Series(0).PointCount();
    PageCount = points / PageSize + (points % PageSize > 0 ? 1 : 0);
}

void TChartControl::ScrollPagesRight(int times) {
    const int moves = RightScrollMoves(Chart.XMaximum(), Chart.ActiveXExtent(), PageSize, times);
    if (moves > 0) Chart.ScrollX(static_cast<double>(moves) * PageSize);
}

void TChartControl::ScrollPagesLeft(int times) {
    const int moves = LeftScrollMoves(Chart.XMinimum(), Chart.ActiveXExtent(), PageSize, times);
    if (moves > 0) Chart.ScrollX(-static_cast<double>(moves) * PageSize);
}

}  // namespace varlo
