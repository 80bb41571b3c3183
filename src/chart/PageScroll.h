#pragma once

#include <optional>

#include "chart/ChartInterface.h"

namespace varlo {

// A run of `tries` scrolls by +step with limit check moves the window only
// while the greatest X still exceeds its maximum. Returns how many of them
// move it, starting from `maximum`, without stepping through them.
int RightScrollMoves(double maximum, const std::optional<XExtent>& extent, double step, int tries);

// The same for scrolls by -step, which move only while the smallest X is
// still below the window's minimum.
int LeftScrollMoves(double minimum, const std::optional<XExtent>& extent, double step, int tries);

}  // namespace varlo
