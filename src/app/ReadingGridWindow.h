#pragma once

#include <cstddef>
#include <limits>

namespace varlo::app {

// Which rows of a long log the grid shows: Visible() whole rows from row
// Offset(), out of Count(). Only these rows are ever handed to the table
// view, so the view's cost does not grow with the log. A window whose last
// row is in sight stays at the end as rows arrive and as it is resized.
class ReadingGridWindow {
  public:
    static constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();

    std::size_t Count() const { return count_; }
    std::size_t Offset() const { return offset_; }
    std::size_t Visible() const { return visible_; }
    std::size_t MaxOffset() const { return count_ > visible_ ? count_ - visible_ : 0; }
    bool AtEnd() const { return offset_ >= MaxOffset(); }

    // The offset, kept within 0..MaxOffset().
    void ScrollTo(std::size_t offset);
    // Moves as little as needed to bring `row` into sight.
    void Reveal(std::size_t row);
    // At least one row; kAll shows the whole log.
    void SetVisible(std::size_t rows);
    // The log grew to `count` rows. Returns whether the window was at the
    // end, and so moved on to show the newest row.
    bool Grow(std::size_t count);
    // The log was replaced: its top is shown.
    void Reset(std::size_t count);

    bool operator==(const ReadingGridWindow&) const = default;

  private:
    std::size_t count_ = 0;
    std::size_t offset_ = 0;
    std::size_t visible_ = kAll;
};

}  // namespace varlo::app
