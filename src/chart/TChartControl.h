#pragma once

#include "chart/ChartInterface.h"

namespace varlo {

// Turns a chart into a paged strip chart: every recorded value goes to every
// series, the X axis shows a window of PageSize points, and the window
// follows the newest point page by page until the user pages back.
//
// Paging across many pages costs the same as across one: the controller
// works out how far a run of limit-checked scrolls would carry the window and
// moves it there in one step.
class TChartControl {
  public:
    // Takes the chart (not owned) and the points per page; a page size below
    // 1 is refused as in SetPageSize.
    TChartControl(ChartInterface& Chart, int PageSize);
    TChartControl(const TChartControl&) = delete;
    TChartControl& operator=(const TChartControl&) = delete;

    // Appends Value to every series; while following, moves the window one
    // page right when the new point lies beyond it.
    void AddValue(double Value);

    void FirstPage();
    void PriorPage();
    void NextPage();
    void LastPage();

    // Changes the points per page and shows the last page. A count below 1 is
    // refused with "Axis Maximum Value must be >= Minimum" before anything
    // changes.
    void SetPageSize(int Count);

    // Apply a Y-axis limit unless it is the one last applied. A limit the
    // axis refuses is not remembered, so asking again retries it.
    void SetYMax(double Value);
    void SetYMin(double Value);

    // Returns to the first page, empties every series and resumes following.
    void Clear();

    ChartInterface& GetChart() const { return Chart; }
    int GetPageNo() const { return PageNo; }
    int GetPageSize() const { return PageSize; }
    int GetPageCount() const { return PageCount; }
    bool GetBrowsing() const { return Browsing; }
    double GetYMax() const { return YMax; }
    double GetYMin() const { return YMin; }

  private:
    void ShowFirstWindow(int pageSize);
    void CountPages();
    void ScrollPagesRight(int times);
    void ScrollPagesLeft(int times);

    ChartInterface& Chart;
    int PageNo = 1;
    int PageSize = 0;
    int PageCount = 1;
    bool Browsing = false;
    double YMax = 0.0;
    double YMin = 0.0;
};

}  // namespace varlo
