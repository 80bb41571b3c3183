#pragma once

#include <QTableView>
#include <functional>
#include <optional>

#include "recording/ReadingLog.h"

namespace varlo::app {

class ReadingGridModel;

// The reading grid "DBGrid1": the log in a read-only table with whole-row
// selection, the Unit column in the meter display's glyphs.
//
// The table holds only the rows that fit (the model's window, see
// ReadingGridModel); the vertical scroll bar, always shown, runs over the
// whole log, one step a row, and the wheel, the keys (Up, Down, Page Up,
// Page Down, Home, End) and the bar move the window. The
// current row is kept as a row of the log, so it stays on its reading as
// the window moves and comes back when the row is scrolled into sight again.
// When rows arrive while the last row is in sight, the newest becomes the
// current row and the grid follows it; a grid scrolled back stays where the
// user put it until it is brought back to the end. A grid made over a log
// shows its end; after a reset (a clear, a file replacing the rows) it shows
// the top, with no current row.
class ReadingGridView : public QTableView {
    Q_OBJECT

  public:
    // The log must outlive the grid (see ReadingGridModel).
    explicit ReadingGridView(ReadingLog& log, QWidget* parent = nullptr);
    ReadingGridView(const ReadingLog& log, std::function<void(ReadingLogObserver*)> attachObserver,
                    QWidget* parent = nullptr);

    ReadingGridModel& Model() const { return *model_; }

    // The log row of the current row, if any.
    std::optional<std::size_t> CurrentLogRow() const { return currentRow_; }
    // Makes a log row current and selected, and scrolls it into sight.
    void SelectLogRow(std::size_t row);

    void reset() override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

  private:
    ReadingGridView(ReadingGridModel* model, QWidget* parent);
    std::size_t FullRows() const;
    std::optional<std::size_t> TargetRow(CursorAction action);
    void WindowAboutToMove();
    void WindowMoved(bool newestFollowed);
    void ScrollBarMoved(int value);
    void SyncScrollBar();
    void PlaceCurrentRow();
    void RepaintMovedRows(std::size_t offsetBefore);
    void RepaintLogRow(std::optional<std::size_t> row);

    ReadingGridModel* model_;
    std::optional<std::size_t> currentRow_;  // a log row
    int currentColumn_ = 0;
    bool currentSelected_ = false;
    // While set, changes of the table's current row and of the scroll bar
    // come from the grid itself, not from the user.
    int windowMoving_ = 0;
    std::size_t offsetBefore_ = 0;  // of the window move under way
    bool wasReset_ = false;
    bool placing_ = false;
    int holdingBar_ = 0;
};

}  // namespace varlo::app
