#pragma once

class QWidget;

namespace varlo::app {

// For the start-up benchmark: once `window` has had its first paint and the
// pass that painted it is over, writes "first paint N" to standard error, N
// being the steady clock's nanoseconds (the system's monotonic clock), and
// ends the event loop. The program does this only when the environment
// variable VARLO_REPORT_FIRST_PAINT is set.
void ReportFirstPaint(QWidget& window);

}  // namespace varlo::app
