#include "chart/PageScroll.h"

#include <cmath>

namespace varlo {
namespace {

// Number of j in [0, tries) with edge + j * step < target, for step > 0.
// The quotient gives the count directly; the two corrections guard against
// rounding of the division and cost at most a step each.
int StepsBelow(double edge, double target, double step, int tries) {
    if (tries <= 0 || !(step > 0.0) || !(target > edge)) return 0;
    const double estimate = std::ceil((target - edge) / step);
    int moves = estimate >= tries ? tries : static_cast<int>(estimate);
    while (moves > 0 && !(edge + (moves - 1) * step < target)) --moves;
    while (moves < tries && edge + moves * step < target) ++moves;
    return moves;
}

}  // namespace

int RightScrollMoves(double maximum, const std::optional<XExtent>& extent, double step, int tries) {
    if (!extent) return 0;
    return StepsBelow(maximum, extent->Greatest, step, tries);
}

int LeftScrollMoves(double minimum, const std::optional<XExtent>& extent, double step, int tries) {
    if (!extent) return 0;
    // minimum - j * step > smallest  <=>  -minimum + j * step < -smallest
    return StepsBelow(-minimum, -extent->Smallest, step, tries);
}

}  // namespace varlo
