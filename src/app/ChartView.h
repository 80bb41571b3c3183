#pragma once

#include <QChartView>
#include <QSize>
#include <cstdint>
#include <optional>

#include "app/ChartEnvelope.h"
#include "chart/TrendChartModel.h"

class QAreaSeries;
class QLineSeries;
class QValueAxis;

namespace varlo::app {

// The trend chart "Chtshow": draws the active series of a TrendChartModel
// between the model's fixed axes. It holds no points of its own: each
// Refresh hands its series only the points inside the current X window (at
// most a few per pixel column), so drawing costs the same whatever the length
// of the log.
//
// The area series "Series2" is filled down to the bottom of the Y axis; the
// line series "Series1" is a plain line. Recorded points are drawn in their
// own colour, points without one (the placeholder of "New") in the series
// colour. The series that is not active is hidden and holds no points.
class ChartView : public QChartView {
    Q_OBJECT

  public:
    explicit ChartView(const TrendChartModel& model, QWidget* parent = nullptr);

    // Brings the chart up to date with the model: call it after a frame
    // notice or any chart operation. Does nothing unless the model's revision
    // or the view's size moved since the last call.
    void Refresh();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ApplyAxes();
    void ApplyPoints();

    const TrendChartModel& model_;
    QAreaSeries* area_ = nullptr;
    QLineSeries* areaUpper_ = nullptr;
    QLineSeries* areaLower_ = nullptr;
    QLineSeries* line_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
    QValueAxis* yAxis_ = nullptr;
    std::optional<std::uint64_t> drawnRevision_;
    QSize drawnSize_;
    CollectedPoints collected_;  // reused between refreshes
};

}  // namespace varlo::app
