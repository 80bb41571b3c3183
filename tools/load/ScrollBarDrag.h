#pragma once

#include <QPoint>
#include <chrono>

class QScrollBar;

namespace varlo::load {

// Drags a scroll bar's thumb with the mouse as a user does: the button is
// pressed on the middle of the thumb, the mouse moves in `steps` even steps
// to past the end of the groove, one step each `interval` from the event
// loop (which paints and serves everything else in between), and the
// button is released there. Returns once released.
void DragThumbToEnd(QScrollBar& bar, int steps, std::chrono::milliseconds interval);

}  // namespace varlo::load
