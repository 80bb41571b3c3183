#include "chart/ChartActions.h"

#include <string>

#include "common/VarloError.h"

namespace varlo {

void ShowSeries(TrendChartModel& model, int Index) {
    if (Index < 0 || Index >= model.SeriesCount())
        throw VarloError("List index out of bounds (" + std::to_string(Index) + ")");
    for (int i = 0; i < model.SeriesCount(); ++i) model.SetActive(i, false);
    model.SetActive(Index, true);
}

void BtNewClick(TrendChartModel& model, bool fill) {
    for (int i = 0; i < model.SeriesCount(); ++i) {
        model.Series(i).Clear();
        model.AddPlaceholder(i, model.NextSampleValue());
    }
    ShowSeries(model, TrendChartModel::kAreaSeries);
    ShowSeries(model, fill ? TrendChartModel::kAreaSeries : TrendChartModel::kLineSeries);
}

}  // namespace varlo
