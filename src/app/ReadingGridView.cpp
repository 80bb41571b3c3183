#include "app/ReadingGridView.h"

#include <QFontMetrics>
#include <QHeaderView>

#include "app/ReadingGridColumns.h"
#include "app/ReadingGridDelegate.h"
#include "app/ReadingGridModel.h"

namespace varlo::app {
namespace {

QFont PixelFont(const char* family, int pixels) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(false);
    return font;
}

}  // namespace

ReadingGridView::ReadingGridView(ReadingLog& log, QWidget* parent)
    : ReadingGridView(new ReadingGridModel(log), parent) {}

ReadingGridView::ReadingGridView(const ReadingLog& log,
                                 std::function<void(ReadingLogObserver*)> attachObserver,
                                 QWidget* parent)
    : ReadingGridView(new ReadingGridModel(log, std::move(attachObserver)), parent) {}

ReadingGridView::ReadingGridView(ReadingGridModel* model, QWidget* parent)
    : QTableView(parent), model_(model) {
    model_->setParent(this);
    setObjectName(QStringLiteral("DBGrid1"));
    resize(334, 241);
    setFont(PixelFont("Arial", 12));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setModel(model_);
    setItemDelegate(new ReadingGridDelegate(this));

    // One fixed height for every row: the view never asks a row its size.
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    rows->hide();

    QHeaderView* titles = horizontalHeader();
    titles->setFont(PixelFont("MS Sans Serif", 11));
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    for (std::size_t i = 0; i < kReadingGridColumns.size(); ++i) {
        if (kReadingGridColumns[i].width > 0)
            setColumnWidth(static_cast<int>(i), kReadingGridColumns[i].width);
    }

    connect(model_, &QAbstractItemModel::rowsInserted, this, &ReadingGridView::FollowNewestRow);
}

void ReadingGridView::FollowNewestRow() {
    const int last = model_->rowCount() - 1;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex newest = model_->index(last, column);
    selectionModel()->setCurrentIndex(
        newest, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(newest, QAbstractItemView::EnsureVisible);
}

}  // namespace varlo::app
