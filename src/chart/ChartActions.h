#pragma once

#include "chart/TrendChartModel.h"

namespace varlo {

// Makes every series inactive, then the one at Index active. An index out of
// range throws a VarloError and changes nothing.
void ShowSeries(TrendChartModel& model, int Index);

// "New": empties every series and seeds it with a placeholder at X 0 with a
// pseudo-random Y and no colour of its own, so recorded values start at X 1;
// then shows series 0, then the area series when fill is set, else the line
// series. Leaves the page controller and the axes alone.
void BtNewClick(TrendChartModel& model, bool fill);

}  // namespace varlo
