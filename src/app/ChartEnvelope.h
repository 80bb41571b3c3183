#pragma once

#include <QList>
#include <QPointF>
#include <optional>

#include "chart/TrendChartModel.h"

namespace varlo::app {

// What a chart series is given of a run of model points.
struct CollectedPoints {
    QList<QPointF> points;
    // The colour of the recorded points among them; none when the run holds
    // only points without a colour of their own (the placeholder of "New").
    std::optional<RgbColour> colour;
};

// Copies the points of `range` into `out`, reusing its storage. A run longer
// than four points a column of `columns` is reduced to its envelope: for each
// column its first, lowest, highest and last point, in X order, so the drawn
// line looks the same while the count stays bounded by the width whatever
// the page size. Points whose Y is not a finite number are left out.
void CollectPoints(const ChartPointRange& range, int columns, CollectedPoints& out);

}  // namespace varlo::app
