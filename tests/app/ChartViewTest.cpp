// The chart view is checked by what it hands QtCharts: the points of its
// series and the range of its axes.
#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>
#include <cmath>

#include "app/ChartView.h"
#include "chart/ChartActions.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartModel.h"

using varlo::TChartControl;
using varlo::TrendChartModel;
using varlo::app::ChartView;

namespace {

// The model, its page controller and the view as start-up builds them.
struct Chart {
    TrendChartModel model;
    TChartControl control{model, 100};
    ChartView view{model};
    Chart() {
        control.SetYMax(22000);
        control.SetYMin(-22000);
        varlo::BtNewClick(model, true);
        view.Refresh();
    }
    void Add(int count, double from = 0.0) {
        for (int i = 0; i < count; ++i) control.AddValue(from + i);
    }
    QAreaSeries* Area() const { return Find<QAreaSeries>("Series2"); }
    QLineSeries* Line() const { return Find<QLineSeries>("Series1"); }
    QValueAxis* Axis(Qt::Orientation orientation) const {
        return qobject_cast<QValueAxis*>(view.chart()->axes(orientation).value(0));
    }
    template <typename T>
    T* Find(const char* name) const {
        for (QAbstractSeries* series : view.chart()->series())
            if (series->name() == QLatin1String(name)) return qobject_cast<T*>(series);
        return nullptr;
    }
};

QList<QPointF> Expected(int fromX, int count, double firstY) {
    QList<QPointF> points;
    for (int i = 0; i < count; ++i) points.append(QPointF(fromX + i, firstY + i));
    return points;
}

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT

  private slots:
    void IsConfiguredAsTheTrendChart();
    void DrawsThePointsOfTheXWindow();
    void FollowsAPageChangeAndTheActiveSeries();
    void ReplacesPointsOnlyWhenTheModelMoved();
    void GivesOnlyTheWindowOfTenMillionPoints();
    void ReducesAWideWindowToItsEnvelope();
    void DrawsThePlaceholderInTheSeriesColour();
    void LabelsTheAxesWithRoundSteps_data();
    void LabelsTheAxesWithRoundSteps();
};

void ChartViewTest::IsConfiguredAsTheTrendChart() {
    Chart c;
    QCOMPARE(c.view.objectName(), QStringLiteral("Chtshow"));
    QCOMPARE(c.view.size(), QSize(376, 269));
    QCOMPARE(c.view.rubberBand(), QChartView::NoRubberBand);
    QChart* chart = c.view.chart();
    QCOMPARE(chart->title(), QStringLiteral("  "));
    QVERIFY(!chart->legend()->isVisible());
    QCOMPARE(c.view.backgroundBrush().color(), QColor(192, 221, 248));
    const QGradient* gradient = chart->backgroundBrush().gradient();
    QVERIFY(gradient);
    QCOMPARE(gradient->stops().first().second, QColor(192, 192, 192));
    QCOMPARE(gradient->stops().last().second, QColor(Qt::white));

    QValueAxis* x = c.Axis(Qt::Horizontal);
    QValueAxis* y = c.Axis(Qt::Vertical);
    QVERIFY(x && y);
    QCOMPARE(x->titleText(), QStringLiteral("Record Number"));
    QCOMPARE(y->titleText(), QStringLiteral("Value"));
    QCOMPARE(y->linePen().style(), Qt::DashLine);
    QCOMPARE(y->linePen().color(), QColor(0, 64, 128));
    QCOMPARE(y->minorTickCount(), 4);

    QVERIFY(c.Area() && c.Line());
    QCOMPARE(c.Area()->pen().color(), QColor(0, 128, 255));
    QCOMPARE(chart->series().size(), 2);
}

void ChartViewTest::DrawsThePointsOfTheXWindow() {
    Chart c;
    c.Add(100, 1.0);
    c.view.Refresh();
    // After "New" the placeholder holds X 0, so the 100 values fill 1 to 100.
    QCOMPARE(c.Area()->upperSeries()->points(), Expected(1, 100, 1.0));
    QCOMPARE(c.Area()->brush().color(), QColor(Qt::blue));
    QValueAxis* x = c.Axis(Qt::Horizontal);
    QValueAxis* y = c.Axis(Qt::Vertical);
    QCOMPARE(x->min(), 1.0);
    QCOMPARE(x->max(), 100.0);
    QCOMPARE(y->min(), -22000.0);
    QCOMPARE(y->max(), 22000.0);
    // Filled down to the bottom of the Y axis under the whole run.
    QCOMPARE(c.Area()->lowerSeries()->points(),
             (QList<QPointF>{QPointF(1, -22000), QPointF(100, -22000)}));
    QVERIFY(c.Area()->isVisible());
    QVERIFY(!c.Line()->isVisible());
    QCOMPARE(c.Line()->count(), 0);

    c.control.SetYMax(2.2);
    c.control.SetYMin(-2.2);
    c.view.Refresh();
    QCOMPARE(y->min(), -2.2);
    QCOMPARE(y->max(), 2.2);
    QCOMPARE(c.Area()->lowerSeries()->points().first().y(), -2.2);
}

void ChartViewTest::FollowsAPageChangeAndTheActiveSeries() {
    Chart c;
    c.Add(150, -75.0);  // X 1 to 150, negative values first
    c.view.Refresh();
    QValueAxis* x = c.Axis(Qt::Horizontal);
    QCOMPARE(x->min(), 101.0);
    QCOMPARE(x->max(), 200.0);
    QCOMPARE(c.Area()->upperSeries()->points(), Expected(101, 50, 25.0));

    c.control.PriorPage();
    varlo::ShowSeries(c.model, TrendChartModel::kLineSeries);
    c.view.Refresh();
    QCOMPARE(x->min(), 1.0);
    QCOMPARE(x->max(), 100.0);
    QCOMPARE(c.Line()->points(), Expected(1, 100, -75.0));
    QCOMPARE(c.Line()->pen().color(), QColor(Qt::blue));
    QVERIFY(c.Line()->isVisible());
    QVERIFY(!c.Area()->isVisible());
    QCOMPARE(c.Area()->upperSeries()->count(), 0);
    QCOMPARE(c.Area()->lowerSeries()->count(), 0);
}

void ChartViewTest::ReplacesPointsOnlyWhenTheModelMoved() {
    Chart c;
    c.Add(10);
    c.view.Refresh();
    QSignalSpy replaced(c.Area()->upperSeries(), &QXYSeries::pointsReplaced);
    QSignalSpy ranged(c.Axis(Qt::Horizontal), &QValueAxis::rangeChanged);
    c.view.Refresh();
    c.view.Refresh();
    QCOMPARE(replaced.count(), 0);
    QCOMPARE(ranged.count(), 0);

    c.control.AddValue(42.0);
    c.view.Refresh();
    c.view.Refresh();
    QCOMPARE(replaced.count(), 1);
    QCOMPARE(c.Area()->upperSeries()->points().last(), QPointF(11, 42.0));
}

void ChartViewTest::GivesOnlyTheWindowOfTenMillionPoints() {
    Chart c;
    constexpr int kPoints = 10'000'000;
    c.Add(kPoints);
    c.view.Refresh();
    // X 1 to 10,000,000 lie on pages of 100: the last page is the window.
    QValueAxis* x = c.Axis(Qt::Horizontal);
    QCOMPARE(x->min(), 9'999'901.0);
    QCOMPARE(x->max(), 10'000'000.0);
    QCOMPARE(c.Area()->upperSeries()->points(), Expected(9'999'901, 100, 9'999'900.0));

    c.control.PriorPage();
    c.view.Refresh();
    QCOMPARE(x->min(), 9'999'801.0);
    QCOMPARE(c.Area()->upperSeries()->points(), Expected(9'999'801, 100, 9'999'800.0));
}

void ChartViewTest::ReducesAWideWindowToItsEnvelope() {
    Chart c;
    constexpr int kPoints = 200'000;
    c.control.SetPageSize(kPoints);
    for (int i = 1; i <= kPoints; ++i) c.control.AddValue(i == 123'457 ? 1e6 : (i % 7) - 3.0);
    c.view.Refresh();
    const QList<QPointF> points = c.Area()->upperSeries()->points();
    QVERIFY2(points.size() <= 4 * c.view.width(), qPrintable(QString::number(points.size())));
    // The ends and the one spike survive, in X order.
    QCOMPARE(points.first(), QPointF(1, -2.0));
    QCOMPARE(points.last(), QPointF(kPoints, (kPoints % 7) - 3.0));
    QVERIFY(points.contains(QPointF(123'457, 1e6)));
    for (int i = 1; i < points.size(); ++i) QVERIFY(points[i - 1].x() < points[i].x());
}

void ChartViewTest::DrawsThePlaceholderInTheSeriesColour() {
    Chart c;
    c.Add(100);             // X 0 (the placeholder) to 100: two pages, the window at 1 to 100
    c.control.PriorPage();  // window -99 to 0: the placeholder alone
    c.view.Refresh();
    const QList<QPointF> points = c.Area()->upperSeries()->points();
    QCOMPARE(points.size(), 1);
    QCOMPARE(points.first().x(), 0.0);
    QCOMPARE(points.first().y(), *c.model.Placeholder(TrendChartModel::kAreaSeries));
    QCOMPARE(c.Area()->brush().color(), QColor(255, 255, 128));

    varlo::ShowSeries(c.model, TrendChartModel::kLineSeries);
    c.view.Refresh();
    QCOMPARE(c.Line()->pen().color(), QColor(Qt::red));
}

void ChartViewTest::LabelsTheAxesWithRoundSteps_data() {
    QTest::addColumn<double>("yMax");
    QTest::addColumn<int>("points");
    QTest::newRow("22000, first page") << 22000.0 << 50;
    QTest::newRow("2.2") << 2.2 << 50;
    QTest::newRow("0.022") << 0.022 << 50;
    QTest::newRow("220, page 1000") << 220.0 << 100'000;
}

void ChartViewTest::LabelsTheAxesWithRoundSteps() {
    QFETCH(double, yMax);
    QFETCH(int, points);
    Chart c;
    c.control.SetYMax(yMax);
    c.control.SetYMin(-yMax);
    c.Add(points);
    c.view.Refresh();
    for (QValueAxis* axis : {c.Axis(Qt::Horizontal), c.Axis(Qt::Vertical)}) {
        const double step = axis->tickInterval();
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        QVERIFY2(qFuzzyCompare(mantissa, 1.0) || qFuzzyCompare(mantissa, 2.0) ||
                     qFuzzyCompare(mantissa, 5.0),
                 qPrintable(QString::number(step)));
        // Labels sit on multiples of the step: enough to read the axis, few
        // enough not to run into each other.
        const double labels =
            std::floor(axis->max() / step + 1e-9) - std::ceil(axis->min() / step - 1e-9) + 1;
        QVERIFY2(labels >= 3 && labels <= 10,
                 qPrintable(QStringLiteral("%1 labels of %2 on %3 to %4")
                                .arg(labels)
                                .arg(step)
                                .arg(axis->min())
                                .arg(axis->max())));
    }
}

QTEST_MAIN(ChartViewTest)
#include "ChartViewTest.moc"
