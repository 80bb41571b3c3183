#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "app/ReadingGridWindow.h"
#include "recording/ReadingLog.h"

namespace varlo::app {

// The reading log as a table for the grid: the columns of
// kReadingGridColumns, read-only, read straight from the log on demand (no
// row is copied). The model listens to the log and tells its views about
// appended rows and resets; it knows only the rows the log has announced,
// so rows a loader appends silently appear with its announcement.
//
// The model shows a window of the log (see ReadingGridWindow): model row r
// is log row Offset() + r. A grid sets the window to the rows it has room
// for and moves it as the user scrolls, so a log of millions of rows costs
// its views no more than a screenful; one row beyond the visible ones is
// exposed for the partly visible row at the bottom. Until a view sets the
// visible rows the window holds the whole log.
class ReadingGridModel : public QAbstractTableModel, private ReadingLogObserver {
    Q_OBJECT

  public:
    static constexpr int kMarginRows = 1;

    // Becomes the log's observer until destroyed. The log must outlive the
    // model: a window that owns both deletes the grid before the log.
    explicit ReadingGridModel(ReadingLog& log, QObject* parent = nullptr);
    // Hands the log its observer: the model, or null when it goes.
    using AttachObserver = std::function<void(ReadingLogObserver*)>;
    // Over a log it may only read, such as a session's; `attach` makes the
    // model the log's observer.
    ReadingGridModel(const ReadingLog& log, AttachObserver attach, QObject* parent = nullptr);
    ~ReadingGridModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const ReadingGridWindow& Window() const { return window_; }
    std::size_t LogRowCount() const { return window_.Count(); }
    std::size_t Offset() const { return shownOffset_; }
    // The log row of a model row, and the model row of a log row (-1 when
    // the window does not hold it).
    std::size_t LogRow(int row) const { return shownOffset_ + static_cast<std::size_t>(row); }
    int RowOf(std::size_t logRow) const;

    // Moving the window: each is announced by WindowAboutToMove, the rows'
    // changes (removed at the end, then dataChanged, then inserted at the
    // end) and WindowMoved; nothing is announced when the window stays.
    void SetVisibleRows(std::size_t rows);
    void ScrollTo(std::size_t offset);
    void Reveal(std::size_t logRow);

  signals:
    void WindowAboutToMove();
    // `newestFollowed`: rows arrived while the window was at the end, and it
    // moved on to show the newest.
    void WindowMoved(bool newestFollowed);

  private:
    void RowsAppended(std::size_t first, std::size_t last) override;
    void RowsReset() override;
    void MoveTo(const ReadingGridWindow& next, bool newestFollowed = false);
    void Refit();
    int WindowRows() const;

    const ReadingLog& log_;
    AttachObserver attach_;
    ReadingGridWindow window_;
    // What the views were told: the log row of model row 0 and the rows.
    std::size_t shownOffset_ = 0;
    int rows_ = 0;
};

}  // namespace varlo::app
