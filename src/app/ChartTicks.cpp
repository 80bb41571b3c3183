#include "app/ChartTicks.h"

#include <algorithm>
#include <cmath>

namespace varlo::app {

double NiceTickInterval(double span, int slots, double smallest) {
    const double floor = smallest > 0.0 ? smallest : 1.0;
    if (!(span > 0.0) || !std::isfinite(span)) return floor;
    const double raw = span / std::max(1, slots);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * magnitude;
    for (double factor : {1.0, 2.0, 5.0}) {
        // A small tolerance keeps rounding of raw from skipping the exact fit.
        if (factor * magnitude >= raw * (1.0 - 1e-9)) {
            step = factor * magnitude;
            break;
        }
    }
    return std::max(step, floor);
}

}  // namespace varlo::app
