#include "app/ChartView.h"

#include <QAreaSeries>
#include <QChart>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QLinearGradient>
#include <QLocale>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/ChartTicks.h"

namespace varlo::app {
namespace {

const QColor kPanelColour(192, 221, 248);
const QColor kSilver(192, 192, 192);
const QColor kAreaColour(255, 255, 128);    // series colour of Series2
const QColor kAreaLineColour(0, 128, 255);  // its line and area-line pen
const QColor kLineSeriesColour(Qt::red);    // series colour of Series1
const QColor kYAxisLineColour(0, 64, 128);
const QColor kGridColour(128, 128, 128);

// Room the axis labels and titles take from the view, for choosing how many
// labels fit before the chart has been laid out.
constexpr int kLabelRoomX = 80;
constexpr int kLabelRoomY = 80;
constexpr int kLabelGap = 16;

QFont AxisFont(bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

void ConfigureAxis(QValueAxis& axis, const QString& title, const QString& format) {
    axis.setTitleText(title);
    axis.setTitleFont(AxisFont(false));
    axis.setLabelsFont(AxisFont(false));
    axis.setLabelFormat(format);
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(0.0);
    axis.setGridLinePen(QPen(kGridColour, 1, Qt::DotLine));
    axis.setMinorGridLineVisible(false);
}

// An axis range QtCharts can draw: equal limits are widened by one.
std::pair<double, double> Drawable(double minimum, double maximum) {
    if (maximum > minimum) return {minimum, maximum};
    return {minimum - 1.0, maximum + 1.0};
}

QColor ToQColor(RgbColour colour) {
    return QColor(colour.Red, colour.Green, colour.Blue);
}

void SetColour(QAreaSeries& series, const QColor& colour) {
    if (series.brush().color() != colour) series.setBrush(colour);
}

void SetColour(QLineSeries& series, const QColor& colour) {
    if (series.pen().color() == colour) return;
    QPen pen = series.pen();
    pen.setColor(colour);
    series.setPen(pen);
}

void Empty(QLineSeries& series) {
    if (series.count() > 0) series.clear();
}

}  // namespace

ChartView::ChartView(const TrendChartModel& model, QWidget* parent)
    : QChartView(parent), model_(model) {
    setObjectName(QStringLiteral("Chtshow"));
    resize(376, 269);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setBackgroundBrush(kPanelColour);
    setRubberBand(QChartView::NoRubberBand);
    setDragMode(QGraphicsView::NoDrag);
    setInteractive(false);
    setRenderHint(QPainter::Antialiasing, false);

    auto* chart = new QChart();
    chart->setTitle(QStringLiteral("  "));
    chart->setTitleFont(AxisFont(false));
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    QLinearGradient gradient(0.0, 0.0, 0.0, 1.0);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0.0, kSilver);
    gradient.setColorAt(1.0, Qt::white);
    chart->setBackgroundBrush(gradient);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundPen(QPen(Qt::black, 1));
    chart->setPlotAreaBackgroundVisible(true);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(QMargins(1, 0, 8, 1));
    chart->setLocalizeNumbers(true);

    xAxis_ = new QValueAxis(chart);
    ConfigureAxis(*xAxis_, QStringLiteral("Record Number"), QStringLiteral("%.0f"));
    yAxis_ = new QValueAxis(chart);
    ConfigureAxis(*yAxis_, QStringLiteral("Value"), QStringLiteral("%.6g"));
    yAxis_->setLinePen(QPen(kYAxisLineColour, 1, Qt::DashLine));
    yAxis_->setMinorTickCount(4);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);

    areaUpper_ = new QLineSeries(this);
    areaLower_ = new QLineSeries(this);
    area_ = new QAreaSeries(areaUpper_, areaLower_);
    area_->setName(QString::fromUtf8(TrendChartModel::SeriesName(TrendChartModel::kAreaSeries)));
    area_->setPen(QPen(kAreaLineColour, 1));
    area_->setBrush(kAreaColour);
    area_->setPointsVisible(false);
    line_ = new QLineSeries();
    line_->setName(QString::fromUtf8(TrendChartModel::SeriesName(TrendChartModel::kLineSeries)));
    line_->setPen(QPen(kLineSeriesColour, 1));
    line_->setPointsVisible(false);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(area_), static_cast<QAbstractSeries*>(line_)}) {
        chart->addSeries(series);
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
    }
    setChart(chart);
    Refresh();
}

void ChartView::Refresh() {
    const bool modelMoved = drawnRevision_ != model_.Revision();
    const bool resized = drawnSize_ != size();
    if (!modelMoved && !resized) return;
    ApplyAxes();
    // A new width changes what an envelope keeps, nothing else.
    const int visible = model_.VisiblePoints().Size();
    if (modelMoved || visible > 4 * std::min(drawnSize_.width(), width())) ApplyPoints();
    drawnRevision_ = model_.Revision();
    drawnSize_ = size();
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    Refresh();
}

void ChartView::ApplyAxes() {
    const auto [xMin, xMax] = Drawable(model_.XMinimum(), model_.XMaximum());
    const auto [yMin, yMax] = Drawable(model_.YMinimum(), model_.YMaximum());

    // As many labels as fit: the widest X label is the record number of
    // greatest magnitude.
    const QFontMetrics metrics(xAxis_->labelsFont());
    const double widestX = std::max(std::abs(xMin), std::abs(xMax));
    QString widest = chart()->locale().toString(std::min(widestX, 1e15), 'f', 0);
    if (xMin < 0.0) widest.prepend(QLatin1Char('-'));
    const int xSlots =
        std::max(40, width() - kLabelRoomX) / (metrics.horizontalAdvance(widest) + kLabelGap);
    const int ySlots = std::max(40, height() - kLabelRoomY) / (2 * metrics.height());
    const double xInterval = NiceTickInterval(xMax - xMin, xSlots, 1.0);
    const double yInterval = NiceTickInterval(yMax - yMin, ySlots, 0.0);

    // The wider of the old and new interval goes first, so that a range that
    // grows never meets a small interval: the axis would make a label for
    // every step.
    xAxis_->setTickInterval(std::max(xAxis_->tickInterval(), xInterval));
    yAxis_->setTickInterval(std::max(yAxis_->tickInterval(), yInterval));
    if (xAxis_->min() != xMin || xAxis_->max() != xMax) xAxis_->setRange(xMin, xMax);
    if (yAxis_->min() != yMin || yAxis_->max() != yMax) yAxis_->setRange(yMin, yMax);
    xAxis_->setTickInterval(xInterval);
    yAxis_->setTickInterval(yInterval);
}

void ChartView::ApplyPoints() {
    const int active = model_.ActiveSeries();
    CollectPoints(model_.VisiblePoints(), std::max(1, width()), collected_);
    const std::optional<QColor> recorded =
        collected_.colour ? std::optional<QColor>(ToQColor(*collected_.colour)) : std::nullopt;

    if (active == TrendChartModel::kAreaSeries) {
        areaUpper_->replace(collected_.points);
        // Filled down to the bottom of the Y axis.
        QList<QPointF> base;
        if (!collected_.points.isEmpty()) {
            base = {QPointF(collected_.points.first().x(), yAxis_->min()),
                    QPointF(collected_.points.last().x(), yAxis_->min())};
        }
        areaLower_->replace(base);
        SetColour(*area_, recorded.value_or(kAreaColour));
    } else {
        Empty(*areaUpper_);
        Empty(*areaLower_);
    }
    if (active == TrendChartModel::kLineSeries) {
        line_->replace(collected_.points);
        SetColour(*line_, recorded.value_or(kLineSeriesColour));
    } else {
        Empty(*line_);
    }
    area_->setVisible(active == TrendChartModel::kAreaSeries);
    line_->setVisible(active == TrendChartModel::kLineSeries);
}

}  // namespace varlo::app
