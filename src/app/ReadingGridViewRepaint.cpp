// Repainting the grid as its window moves over the log.
#include <QHeaderView>

#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"

namespace varlo::app {

// The rows' contents moved with the window; the table was not told to
// repaint them (see dataChanged). The pixels of the rows that were wholly in
// sight move with them, and only the rows that come into sight are painted:
// following a new row paints one row, not the screen.
void ReadingGridView::RepaintMovedRows(std::size_t offsetBefore) {
    const std::size_t offset = model_->Offset();
    if (offset == offsetBefore) return;
    const int height = verticalHeader()->defaultSectionSize();
    const int whole = static_cast<int>(FullRows());
    const bool down = offset > offsetBefore;
    const std::size_t distance = down ? offset - offsetBefore : offsetBefore - offset;
    if (distance >= static_cast<std::size_t>(whole)) {
        viewport()->update();
        return;
    }
    const int rows = static_cast<int>(distance);
    const int width = viewport()->width();
    if (down) {
        viewport()->scroll(0, -rows * height);
        viewport()->update(0, (whole - rows) * height, width, viewport()->height());
    } else {
        viewport()->scroll(0, rows * height);
        viewport()->update(0, 0, width, rows * height);
    }
}

void ReadingGridView::RepaintLogRow(std::optional<std::size_t> row) {
    const int shown = row ? model_->RowOf(*row) : -1;
    if (shown < 0) return;
    const int height = verticalHeader()->defaultSectionSize();
    viewport()->update(0, shown * height, viewport()->width(), height);
}

// Contents that change because the window moved are repainted by
// RepaintMovedRows; any other change repaints as usual.
void ReadingGridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                  const QList<int>& roles) {
    if (windowMoving_ > 0) return;
    QTableView::dataChanged(topLeft, bottomRight, roles);
}

}  // namespace varlo::app
