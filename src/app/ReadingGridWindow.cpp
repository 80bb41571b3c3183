#include "app/ReadingGridWindow.h"

#include <algorithm>

namespace varlo::app {

void ReadingGridWindow::ScrollTo(std::size_t offset) {
    offset_ = std::min(offset, MaxOffset());
}

void ReadingGridWindow::Reveal(std::size_t row) {
    if (row < offset_) {
        ScrollTo(row);
    } else if (row - offset_ >= visible_) {
        ScrollTo(row - visible_ + 1);
    }
}

void ReadingGridWindow::SetVisible(std::size_t rows) {
    const bool atEnd = AtEnd();
    visible_ = std::max<std::size_t>(rows, 1);
    ScrollTo(atEnd ? MaxOffset() : offset_);
}

bool ReadingGridWindow::Grow(std::size_t count) {
    const bool atEnd = AtEnd();
    count_ = std::max(count, count_);
    if (atEnd) offset_ = MaxOffset();
    return atEnd;
}

void ReadingGridWindow::Reset(std::size_t count) {
    count_ = count;
    offset_ = 0;
}

}  // namespace varlo::app
