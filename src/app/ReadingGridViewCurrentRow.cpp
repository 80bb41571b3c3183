// The grid's current row, kept as a row of the log: the keys that move it,
// the user's clicks that set it, and its place in the table as the window
// moves.
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <algorithm>

#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"

namespace varlo::app {

void ReadingGridView::SelectLogRow(std::size_t row) {
    if (row >= model_->LogRowCount()) return;
    currentRow_ = row;
    currentSelected_ = true;
    model_->Reveal(row);
    PlaceCurrentRow();
}

std::optional<std::size_t> ReadingGridView::TargetRow(CursorAction action) {
    const std::size_t count = model_->LogRowCount();
    if (count == 0) return std::nullopt;
    const std::size_t last = count - 1;
    const std::size_t page = model_->Window().Visible();
    const std::size_t top = model_->Offset();
    // Without a current row the keys start from the top row in sight.
    const std::size_t from = std::min(currentRow_.value_or(top), last);
    switch (action) {
        case MoveUp:
            return currentRow_ && from > 0 ? from - 1 : from;
        case MoveDown:
            return currentRow_ ? std::min(from + 1, last) : from;
        case MovePageUp:
            model_->ScrollTo(top > page ? top - page : 0);
            return from > page ? from - page : 0;
        case MovePageDown:
            model_->ScrollTo(top + page);
            return std::min(from + page, last);
        case MoveHome:
            return 0;
        case MoveEnd:
            return last;
        default:
            return std::nullopt;
    }
}

void ReadingGridView::keyPressEvent(QKeyEvent* event) {
    CursorAction action;
    switch (event->key()) {
        case Qt::Key_Up:
            action = MoveUp;
            break;
        case Qt::Key_Down:
            action = MoveDown;
            break;
        case Qt::Key_PageUp:
            action = MovePageUp;
            break;
        case Qt::Key_PageDown:
            action = MovePageDown;
            break;
        case Qt::Key_Home:
            action = MoveHome;
            break;
        case Qt::Key_End:
            action = MoveEnd;
            break;
        default:
            QTableView::keyPressEvent(event);
            return;
    }
    if (const std::optional<std::size_t> row = TargetRow(action)) SelectLogRow(*row);
    event->accept();
}

QModelIndex ReadingGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (const std::optional<std::size_t> row = TargetRow(action)) {
        model_->Reveal(*row);
        const int shown = model_->RowOf(*row);
        return shown < 0 ? QModelIndex() : model_->index(shown, currentColumn_);
    }
    if ((action != MoveNext && action != MovePrevious) || !currentRow_)
        return QTableView::moveCursor(action, modifiers);
    // Tab runs along the row and on to the next row of the log, not of the
    // window.
    model_->Reveal(*currentRow_);
    PlaceCurrentRow();
    const QModelIndex cell = QTableView::moveCursor(action, modifiers);
    if (!cell.isValid() || cell.row() == currentIndex().row()) return cell;
    const std::size_t count = model_->LogRowCount();
    const std::size_t row =
        action == MoveNext ? (*currentRow_ + 1) % count : (*currentRow_ + count - 1) % count;
    model_->Reveal(row);
    const int shown = model_->RowOf(row);
    return shown < 0 ? QModelIndex() : model_->index(shown, cell.column());
}

void ReadingGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (!placing_ && windowMoving_ == 0 && current.isValid()) {
        currentRow_ = model_->LogRow(current.row());
        currentColumn_ = current.column();
    }
    QTableView::currentChanged(current, previous);
}

void ReadingGridView::selectionChanged(const QItemSelection& selected,
                                       const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    if (placing_ || windowMoving_ > 0) return;
    const QModelIndex current = currentIndex();
    currentSelected_ = current.isValid() && selectionModel()->isRowSelected(current.row());
}

// Shows the current log row as the table's current and selected row when
// the window holds it, and nothing as current when it does not.
void ReadingGridView::PlaceCurrentRow() {
    QItemSelectionModel* selection = selectionModel();
    if (!selection) return;
    const QScopedValueRollback placing(placing_, true);
    const int row = currentRow_ ? model_->RowOf(*currentRow_) : -1;
    if (row < 0) {
        selection->clear();
        return;
    }
    selection->setCurrentIndex(model_->index(row, currentColumn_),
                               currentSelected_
                                   ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                                   : QItemSelectionModel::Clear);
}

}  // namespace varlo::app
