#include "app/ReadingGridModel.h"

#include <algorithm>
#include <climits>

#include "app/ReadingGridColumns.h"

namespace varlo::app {

ReadingGridModel::ReadingGridModel(ReadingLog& log, QObject* parent)
    : ReadingGridModel(
          log, [&log](ReadingLogObserver* observer) { log.SetObserver(observer); }, parent) {}

ReadingGridModel::ReadingGridModel(const ReadingLog& log, AttachObserver attach, QObject* parent)
    : QAbstractTableModel(parent), log_(log), attach_(std::move(attach)) {
    window_.Reset(log.RowCount());
    rows_ = WindowRows();
    attach_(this);
}

ReadingGridModel::~ReadingGridModel() {
    attach_(nullptr);
}

// The window's rows with the margin below them; a view counts rows in an
// int.
int ReadingGridModel::WindowRows() const {
    const std::size_t below = window_.Count() - window_.Offset();
    const std::size_t room =
        window_.Visible() > INT_MAX ? std::size_t{INT_MAX} : window_.Visible() + kMarginRows;
    return static_cast<int>(std::min({below, room, std::size_t{INT_MAX}}));
}

int ReadingGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ReadingGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kReadingGridColumns.size());
}

int ReadingGridModel::RowOf(std::size_t logRow) const {
    if (logRow < shownOffset_ || logRow - shownOffset_ >= static_cast<std::size_t>(rows_))
        return -1;
    return static_cast<int>(logRow - shownOffset_);
}

QVariant ReadingGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ReadingGridColumn& column = kReadingGridColumns[static_cast<std::size_t>(index.column())];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const std::size_t row = LogRow(index.row());
    // The log may shrink before it tells (a failed load rolling back).
    if (row >= log_.RowCount()) return {};
    if (ReadingLog::IsIntegerColumn(column.logColumn)) {
        const std::optional<std::int32_t> value = log_.Int(row, column.logColumn);
        return value ? QVariant(QString::number(*value)) : QVariant();
    }
    const std::string_view text = log_.TextView(row, column.logColumn);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant ReadingGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(kReadingGridColumns.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role != Qt::DisplayRole) return {};
    return QString::fromLatin1(kReadingGridColumns[static_cast<std::size_t>(section)].title);
}

Qt::ItemFlags ReadingGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ReadingGridModel::SetVisibleRows(std::size_t rows) {
    ReadingGridWindow next = window_;
    next.SetVisible(rows);
    MoveTo(next);
}

void ReadingGridModel::ScrollTo(std::size_t offset) {
    ReadingGridWindow next = window_;
    next.ScrollTo(offset);
    MoveTo(next);
}

void ReadingGridModel::Reveal(std::size_t logRow) {
    ReadingGridWindow next = window_;
    next.Reveal(logRow);
    MoveTo(next);
}

void ReadingGridModel::MoveTo(const ReadingGridWindow& next, bool newestFollowed) {
    if (next == window_) return;
    emit WindowAboutToMove();
    window_ = next;
    Refit();
    emit WindowMoved(newestFollowed);
}

// Brings the views from what they were told to the window, in an order in
// which every row they hold stays valid: rows beyond the new end go first,
// then the rows kept change their contents, then new rows come at the end.
void ReadingGridModel::Refit() {
    const int rows = WindowRows();
    if (rows < rows_) {
        beginRemoveRows(QModelIndex(), rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (shownOffset_ != window_.Offset()) {
        shownOffset_ = window_.Offset();
        if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
    }
    if (rows > rows_) {
        beginInsertRows(QModelIndex(), rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
}

void ReadingGridModel::RowsAppended(std::size_t /*first*/, std::size_t last) {
    // Rows the log appended without telling come in with these.
    if (last + 1 <= window_.Count()) return;
    ReadingGridWindow next = window_;
    const bool followed = next.Grow(last + 1);
    MoveTo(next, followed);
}

void ReadingGridModel::RowsReset() {
    emit WindowAboutToMove();
    beginResetModel();
    window_.Reset(log_.RowCount());
    shownOffset_ = 0;
    rows_ = WindowRows();
    endResetModel();
    emit WindowMoved(false);
}

}  // namespace varlo::app
