#include "app/ReadingGridModel.h"

#include <climits>

#include "app/ReadingGridColumns.h"

namespace varlo::app {

ReadingGridModel::ReadingGridModel(ReadingLog& log, QObject* parent)
    : ReadingGridModel(
          log, [&log](ReadingLogObserver* observer) { log.SetObserver(observer); }, parent) {}

ReadingGridModel::ReadingGridModel(const ReadingLog& log, AttachObserver attach, QObject* parent)
    : QAbstractTableModel(parent),
      log_(log),
      attach_(std::move(attach)),
      rows_(Shown(log.RowCount())) {
    attach_(this);
}

ReadingGridModel::~ReadingGridModel() {
    attach_(nullptr);
}

// A view counts rows in an int; a log beyond that shows its first INT_MAX.
int ReadingGridModel::Shown(std::size_t rows) {
    return rows > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(rows);
}

int ReadingGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ReadingGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kReadingGridColumns.size());
}

QVariant ReadingGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ReadingGridColumn& column = kReadingGridColumns[static_cast<std::size_t>(index.column())];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const auto row = static_cast<std::size_t>(index.row());
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

void ReadingGridModel::RowsAppended(std::size_t /*first*/, std::size_t last) {
    // Rows the log appended without telling come in with these.
    const int newRows = Shown(last + 1);
    if (newRows <= rows_) return;
    beginInsertRows(QModelIndex(), rows_, newRows - 1);
    rows_ = newRows;
    endInsertRows();
}

void ReadingGridModel::RowsReset() {
    beginResetModel();
    rows_ = Shown(log_.RowCount());
    endResetModel();
}

}  // namespace varlo::app
