#include "chart/TrendChartModel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>
#include <string>

#include "common/VarloError.h"

namespace varlo {
namespace {

// Equal as stored: bit for bit, so that a NaN matches itself.
bool SameValue(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

}  // namespace

ChartPoint ChartPointRange::operator[](int offset) const {
    return model_->PointAt(series_, first_ + offset);
}

TrendChartModel::TrendChartModel(unsigned sampleSeed) : sampler_(sampleSeed) {
    for (int i = 0; i < kSeriesCount; ++i) series_[i].Attach(this, i);
    series_[kAreaSeries].active = true;
}

void TrendChartModel::CheckSeries(int series) const {
    if (series < 0 || series >= kSeriesCount)
        throw VarloError("List index out of bounds (" + std::to_string(series) + ")");
}

ChartSeries& TrendChartModel::Series(int index) {
    CheckSeries(index);
    return series_[index];
}

std::string_view TrendChartModel::SeriesName(int index) {
    return index == kAreaSeries ? "Series2" : index == kLineSeries ? "Series1" : "";
}

void TrendChartModel::SeriesState::Append(double value, std::string_view label, RgbColour colour) {
    model_->AppendTo(*this, value, label, colour);
}

int TrendChartModel::SeriesState::PointCount() const {
    return static_cast<int>(shared) + (placeholder ? 1 : 0);
}

void TrendChartModel::SeriesState::Clear() {
    model_->ClearSeries(*this);
}

void TrendChartModel::AppendTo(SeriesState& series, double value, std::string_view label,
                               RgbColour colour) {
    if (!label.empty()) throw std::invalid_argument("The trend chart keeps no point labels");
    if (series.shared == values_.Size()) {
        if (values_.Size() == 0) {
            recordedColour_ = colour;
        } else if (colour != recordedColour_) {
            throw std::invalid_argument("The trend chart draws all recorded points in one colour");
        }
        values_.Append(value);
    } else if (!SameValue(values_[series.shared], value) || colour != recordedColour_) {
        throw std::logic_error("The series of the trend chart must receive the same values");
    }
    ++series.shared;
    Changed();
}

void TrendChartModel::ClearSeries(SeriesState& series) {
    series.placeholder.reset();
    series.shared = 0;
    const bool anyHolds = std::any_of(series_.begin(), series_.end(),
                                      [](const SeriesState& s) { return s.shared > 0; });
    if (!anyHolds) values_.Clear();
    Changed();
}

int TrendChartModel::PointCount(int series) const {
    CheckSeries(series);
    return series_[series].PointCount();
}

ChartPoint TrendChartModel::PointAt(int series, int x) const {
    CheckSeries(series);
    const SeriesState& s = series_[series];
    if (x < 0 || x >= s.PointCount())
        throw std::out_of_range("No point at X " + std::to_string(x) + " in " +
                                std::string(SeriesName(series)));
    if (s.placeholder) {
        if (x == 0) return ChartPoint{0, *s.placeholder, std::nullopt};
        return ChartPoint{x, values_[static_cast<std::size_t>(x) - 1], recordedColour_};
    }
    return ChartPoint{x, values_[static_cast<std::size_t>(x)], recordedColour_};
}

std::optional<double> TrendChartModel::Placeholder(int series) const {
    CheckSeries(series);
    return series_[series].placeholder;
}

void TrendChartModel::AddPlaceholder(int series, double y) {
    CheckSeries(series);
    if (series_[series].PointCount() != 0)
        throw std::logic_error("A placeholder goes only into an empty series");
    series_[series].placeholder = y;
    Changed();
}

double TrendChartModel::NextSampleValue() {
    const double unit = static_cast<double>(sampler_() - std::minstd_rand::min()) /
                        static_cast<double>(std::minstd_rand::max() - std::minstd_rand::min());
    return y_.Minimum() + (y_.Maximum() - y_.Minimum()) * unit;
}

void TrendChartModel::SetActive(int series, bool active) {
    CheckSeries(series);
    series_[series].active = active;
    Changed();
}

bool TrendChartModel::IsActive(int series) const {
    CheckSeries(series);
    return series_[series].active;
}

int TrendChartModel::ActiveSeries() const {
    for (int i = 0; i < kSeriesCount; ++i)
        if (series_[i].active) return i;
    return -1;
}

void TrendChartModel::SetXAutomatic(bool automatic) {
    xAutomatic_ = automatic;
    Changed();
}

void TrendChartModel::SetXMinimum(double value) {
    x_.SetMinimum(value);
    Changed();
}

void TrendChartModel::SetXMaximum(double value) {
    x_.SetMaximum(value);
    Changed();
}

void TrendChartModel::SetYMaximum(double value) {
    y_.SetMaximum(value);
    Changed();
}

void TrendChartModel::SetYMinimum(double value) {
    y_.SetMinimum(value);
    Changed();
}

std::optional<XExtent> TrendChartModel::ActiveXExtent() const {
    int points = 0;
    for (const SeriesState& s : series_)
        if (s.active) points = std::max(points, s.PointCount());
    if (points == 0) return std::nullopt;
    return XExtent{0.0, static_cast<double>(points - 1)};
}

void TrendChartModel::ScrollX(double offset) {
    const std::optional<XExtent> extent = ActiveXExtent();
    if (!extent) return;
    if (offset > 0.0 && !(extent->Greatest > x_.Maximum())) return;
    if (offset < 0.0 && !(extent->Smallest < x_.Minimum())) return;
    if (!(offset != 0.0)) return;
    x_.Shift(offset);
    Changed();
}

ChartPointRange TrendChartModel::VisiblePoints() const {
    const int active = ActiveSeries();
    if (active < 0) return {};
    return PointsBetween(active, x_.Minimum(), x_.Maximum());
}

ChartPointRange TrendChartModel::PointsBetween(int series, double fromX, double toX) const {
    CheckSeries(series);
    const int points = series_[series].PointCount();
    const double first = std::max(0.0, std::ceil(fromX));
    const double last = std::min(static_cast<double>(points) - 1.0, std::floor(toX));
    if (!(first <= last)) return ChartPointRange(this, series, 0, 0);
    const int firstX = static_cast<int>(first);
    return ChartPointRange(this, series, firstX, static_cast<int>(last) - firstX + 1);
}

void TrendChartModel::SetChangeListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

void TrendChartModel::Changed() {
    ++revision_;
    if (listener_) listener_();
}

}  // namespace varlo
