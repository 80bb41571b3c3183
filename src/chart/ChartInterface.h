#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

namespace varlo {

// A point colour, red, green and blue.
struct RgbColour {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend constexpr bool operator==(const RgbColour&, const RgbColour&) = default;
};

inline constexpr RgbColour ClBlue{0, 0, 255};

// The smallest and greatest X of the points of a series.
struct XExtent {
    double Smallest = 0.0;
    double Greatest = 0.0;
};

// One series of the chart. A point's X is its index in the series, counted
// from 0.
class ChartSeries {
  public:
    virtual ~ChartSeries() = default;
    // Adds a point with X = the point count before the append and Y = value.
    virtual void Append(double value, std::string_view label, RgbColour colour) = 0;
    virtual int PointCount() const = 0;
    // Removes all points.
    virtual void Clear() = 0;
};

// What the page controller needs of a chart: its series in list order and
// its two fixed axes. Setting an axis minimum above the current maximum, or a
// maximum below the current minimum, is refused with a VarloError carrying
// the texts below; a refused setting changes nothing.
class ChartInterface {
  public:
    virtual ~ChartInterface() = default;

    virtual int SeriesCount() const = 0;
    virtual ChartSeries& Series(int index) = 0;

    virtual void SetXAutomatic(bool automatic) = 0;
    virtual void SetXMinimum(double value) = 0;
    virtual void SetXMaximum(double value) = 0;
    virtual double XMinimum() const = 0;
    virtual double XMaximum() const = 0;
    // Shifts the X window by offset, but a positive offset only when the
    // greatest X of the active series exceeds the current maximum and a
    // negative one only when its smallest X is below the current minimum;
    // otherwise nothing happens.
    virtual void ScrollX(double offset) = 0;
    // The X extent that ScrollX checks against; empty when no active series
    // holds a point.
    virtual std::optional<XExtent> ActiveXExtent() const = 0;

    virtual void SetYMaximum(double value) = 0;
    virtual void SetYMinimum(double value) = 0;
};

}  // namespace varlo
