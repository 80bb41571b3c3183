#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string_view>

#include "chart/AxisRange.h"
#include "chart/ChartInterface.h"
#include "chart/ValueStore.h"

namespace varlo {

// One point as a view draws it. The placeholder of "New" has no colour of
// its own and is drawn in the series colour.
struct ChartPoint {
    int X = 0;
    double Y = 0.0;
    std::optional<RgbColour> Colour;
};

class TrendChartModel;

// The points of one series with X from First to First + Size() - 1, read in
// place from the model. Valid until the model's next change.
class ChartPointRange {
  public:
    class Iterator {
      public:
        using value_type = ChartPoint;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        Iterator(const ChartPointRange* range, int offset) : range_(range), offset_(offset) {}
        ChartPoint operator*() const { return (*range_)[offset_]; }
        Iterator& operator++() {
            ++offset_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++offset_;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.offset_ == b.offset_;
        }

      private:
        const ChartPointRange* range_ = nullptr;
        int offset_ = 0;
    };

    ChartPointRange() = default;
    ChartPointRange(const TrendChartModel* model, int series, int first, int size)
        : model_(model), series_(series), first_(first), size_(size) {}

    int Series() const { return series_; }
    int First() const { return first_; }
    int Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    ChartPoint operator[](int offset) const;
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size_); }

  private:
    const TrendChartModel* model_ = nullptr;
    int series_ = -1;
    int first_ = 0;
    int size_ = 0;
};

// The trend chart: an area series (index 0, "Series2") and a line series
// (index 1, "Series1") that show the same recorded values, one of them active
// (drawn) at a time, and two fixed axes.
//
// The recorded values are stored once. Each series holds an optional
// placeholder at X 0 and a prefix of the shared values: an append to a series
// that has every shared value adds a new one, an append to a series that is
// behind must bring the value the other series already got (anything else
// is a programming error and throws std::logic_error). Recorded points carry
// one colour for all and no labels.
class TrendChartModel : public ChartInterface {
  public:
    static constexpr int kAreaSeries = 0;
    static constexpr int kLineSeries = 1;
    static constexpr int kSeriesCount = 2;

    explicit TrendChartModel(unsigned sampleSeed = 1);
    TrendChartModel(const TrendChartModel&) = delete;
    TrendChartModel& operator=(const TrendChartModel&) = delete;

    // ChartInterface. A series index out of range throws a VarloError.
    int SeriesCount() const override { return kSeriesCount; }
    ChartSeries& Series(int index) override;
    void SetXAutomatic(bool automatic) override;
    void SetXMinimum(double value) override;
    void SetXMaximum(double value) override;
    double XMinimum() const override { return x_.Minimum(); }
    double XMaximum() const override { return x_.Maximum(); }
    void ScrollX(double offset) override;
    std::optional<XExtent> ActiveXExtent() const override;
    void SetYMaximum(double value) override;
    void SetYMinimum(double value) override;

    bool XAutomatic() const { return xAutomatic_; }
    double YMinimum() const { return y_.Minimum(); }
    double YMaximum() const { return y_.Maximum(); }

    // "Series2" for the area series, "Series1" for the line series.
    static std::string_view SeriesName(int index);
    int PointCount(int series) const;
    // The point of a series at X; throws std::out_of_range unless
    // 0 <= x < PointCount(series).
    ChartPoint PointAt(int series, int x) const;
    std::optional<double> Placeholder(int series) const;
    // Seeds an empty series with a point at X 0 that has no colour of its own.
    void AddPlaceholder(int series, double y);
    // A pseudo-random Y within the current Y axis, for placeholders.
    double NextSampleValue();

    void SetActive(int series, bool active);
    bool IsActive(int series) const;
    // The first active series, or -1 when none is.
    int ActiveSeries() const;

    // The points of the active series whose X lies within the X window.
    ChartPointRange VisiblePoints() const;
    // The points of a series whose X lies within [fromX, toX].
    ChartPointRange PointsBetween(int series, double fromX, double toX) const;

    // Grows with every change of points, axes or the active series; a view
    // repaints when it differs from the one it last drew.
    std::uint64_t Revision() const { return revision_; }
    // Called after every change; an empty function removes the listener.
    void SetChangeListener(std::function<void()> listener);

    // Bytes held for the recorded values.
    std::size_t ValueBytes() const { return values_.AllocatedBytes(); }
    std::size_t RecordedValueCount() const { return values_.Size(); }

  private:
    class SeriesState : public ChartSeries {
      public:
        void Attach(TrendChartModel* model, int index) {
            model_ = model;
            index_ = index;
        }
        void Append(double value, std::string_view label, RgbColour colour) override;
        int PointCount() const override;
        void Clear() override;

        std::optional<double> placeholder;
        std::size_t shared = 0;  // leading shared values in this series
        bool active = false;

      private:
        TrendChartModel* model_ = nullptr;
        int index_ = 0;
    };

    void CheckSeries(int series) const;
    void AppendTo(SeriesState& series, double value, std::string_view label, RgbColour colour);
    void ClearSeries(SeriesState& series);
    void Changed();

    std::array<SeriesState, kSeriesCount> series_;
    ValueStore values_;
    RgbColour recordedColour_ = ClBlue;
    bool xAutomatic_ = true;
    AxisRange x_{0.0, 0.0};
    AxisRange y_{0.0, 0.0};
    std::minstd_rand sampler_;
    std::uint64_t revision_ = 0;
    std::function<void()> listener_;
};

}  // namespace varlo
