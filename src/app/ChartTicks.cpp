#include "app/ChartTicks.h"

#include <algorithm>
#include <cmath>

namespace varlo::app {

double NiceTickInterval(double span, int slots, double smallest) {
    if (!(span > 0.0) || !std::isfinite(span)) return smallest > 0.0 ? smallest : 1.0;
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
    return smallest > 0.0 ? std::max(step, smallest) : step;
}

}  // namespace varlo::app
