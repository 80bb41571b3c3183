#pragma once

namespace varlo::app {

// The distance between labelled ticks on an axis that spans `span` with room
// for at most `slots` labels: the smallest step of the series 1, 2, 5, 10,
// 20, ... (times a power of ten) that needs no more than `slots` labels, and
// never below `smallest` (an axis of record numbers labels whole numbers
// only). A span that is not positive or not finite gives `smallest`, or 1
// when that is not positive either.
double NiceTickInterval(double span, int slots, double smallest);

}  // namespace varlo::app
