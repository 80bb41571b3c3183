#include "chart/AxisRange.h"

#include "common/VarloError.h"

namespace varlo {

void AxisRange::SetMinimum(double value) {
    if (!(value <= maximum_)) throw VarloError(kAxisMinimumRefused);
    minimum_ = value;
}

void AxisRange::SetMaximum(double value) {
    if (!(value >= minimum_)) throw VarloError(kAxisMaximumRefused);
    maximum_ = value;
}

void AxisRange::Shift(double offset) {
    minimum_ += offset;
    maximum_ += offset;
}

}  // namespace varlo
