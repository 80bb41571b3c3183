#pragma once

namespace varlo {

inline constexpr const char* kAxisMinimumRefused = "Axis Minimum Value must be <= Maximum";
inline constexpr const char* kAxisMaximumRefused = "Axis Maximum Value must be >= Minimum";

// The limits of one fixed chart axis. A minimum above the maximum or a
// maximum below the minimum (or a value that is not a number) is refused with
// a VarloError and leaves the range as it was.
class AxisRange {
  public:
    AxisRange(double minimum, double maximum) : minimum_(minimum), maximum_(maximum) {}

    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }

    void SetMinimum(double value);
    void SetMaximum(double value);
    // Moves both limits by offset.
    void Shift(double offset);

  private:
    double minimum_;
    double maximum_;
};

}  // namespace varlo
