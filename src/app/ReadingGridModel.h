#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "recording/ReadingLog.h"

namespace varlo::app {

// The reading log as a table for the grid: the columns of
// kReadingGridColumns, read-only, read straight from the log on demand (no
// row is copied). The model listens to the log and tells its views about
// appended rows and resets; it knows only the rows the log has announced,
// so rows a loader appends silently appear with its announcement.
class ReadingGridModel : public QAbstractTableModel, private ReadingLogObserver {
    Q_OBJECT

  public:
    // Hands the log its observer: the model, or null when it goes.
    using AttachObserver = std::function<void(ReadingLogObserver*)>;

    // Becomes the log's observer until destroyed. The log must outlive the
    // model: a window that owns both deletes the grid before the log.
    explicit ReadingGridModel(ReadingLog& log, QObject* parent = nullptr);
    // The same for a log that its owner lets others read only.
    ReadingGridModel(const ReadingLog& log, AttachObserver attach, QObject* parent = nullptr);
    ~ReadingGridModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    void RowsAppended(std::size_t first, std::size_t last) override;
    void RowsReset() override;
    static int Shown(std::size_t rows);

    const ReadingLog& log_;
    AttachObserver attach_;
    int rows_ = 0;  // rows announced to the views
};

}  // namespace varlo::app
