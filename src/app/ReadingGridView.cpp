#include "app/ReadingGridView.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <climits>

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

int ClampToInt(std::size_t n) {
    return n > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

// While a hold is on, changes of the vertical scroll bar are the grid's own
// (the table setting the bar by its few rows, or the grid setting it back to
// the window's offset), not the user's, and do not move the window.
class BarHold {
  public:
    explicit BarHold(int& count) : count_(count) { ++count_; }
    ~BarHold() { --count_; }
    BarHold(const BarHold&) = delete;
    BarHold& operator=(const BarHold&) = delete;

  private:
    int& count_;
};

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

    // One fixed height for every row: the view never asks a row its size.
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    rows->hide();

    // The window is made small before the table first sees the model.
    model_->SetVisibleRows(FullRows());
    setModel(model_);
    setItemDelegate(new ReadingGridDelegate(this));

    QHeaderView* titles = horizontalHeader();
    titles->setFont(PixelFont("MS Sans Serif", 11));
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    // A stretched section never gets narrower than the default size: that is
    // the smallest a title takes, so that the last column can fit the room
    // the others leave.
    titles->setDefaultSectionSize(titles->minimumSectionSize());
    for (std::size_t i = 0; i < kReadingGridColumns.size(); ++i) {
        if (kReadingGridColumns[i].width > 0)
            setColumnWidth(static_cast<int>(i), kReadingGridColumns[i].width);
    }
    // The last column (the one of default width) takes the room the others
    // leave, so the columns fit the grid without a horizontal bar.
    titles->setStretchLastSection(true);

    connect(model_, &ReadingGridModel::WindowAboutToMove, this,
            &ReadingGridView::WindowAboutToMove);
    connect(model_, &ReadingGridModel::WindowMoved, this, &ReadingGridView::WindowMoved);
    // The bar is always there, as a grid's is, so that its range can change
    // with every new row without the scroll area laying out and repainting
    // its frame and both bars each time (which it does on a range change).
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    disconnect(verticalScrollBar(), &QScrollBar::rangeChanged, this, nullptr);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ReadingGridView::ScrollBarMoved);
    SyncScrollBar();
}

std::size_t ReadingGridView::FullRows() const {
    const int height = verticalHeader()->defaultSectionSize();
    return static_cast<std::size_t>(std::max(1, viewport()->height() / std::max(1, height)));
}

void ReadingGridView::reset() {
    QTableView::reset();
    currentRow_.reset();
    currentSelected_ = false;
    wasReset_ = true;
}

// The table's own vertical scrolling is off: its rows always start at the
// top of the viewport, and the bar belongs to the log (see SyncScrollBar).
void ReadingGridView::scrollContentsBy(int dx, int /*dy*/) {
    QTableView::scrollContentsBy(dx, 0);
}

void ReadingGridView::updateGeometries() {
    {
        const BarHold hold(holdingBar_);
        QTableView::updateGeometries();
    }
    if (verticalHeader()->offset() != 0) {
        verticalHeader()->setOffset(0);
        viewport()->update();
    }
    model_->SetVisibleRows(FullRows());
    SyncScrollBar();
}

void ReadingGridView::SyncScrollBar() {
    const BarHold hold(holdingBar_);
    const ReadingGridWindow& window = model_->Window();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, ClampToInt(window.MaxOffset()));
    // Setting a step repaints the bar even when it stays.
    const int page = ClampToInt(window.Visible());
    if (bar->pageStep() != page) bar->setPageStep(page);
    if (bar->singleStep() != 1) bar->setSingleStep(1);
    bar->setValue(ClampToInt(window.Offset()));
}

void ReadingGridView::ScrollBarMoved(int value) {
    if (holdingBar_ > 0 || windowMoving_ > 0) return;
    model_->ScrollTo(static_cast<std::size_t>(value));
}

void ReadingGridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != model_) return;
    const std::size_t row = model_->LogRow(index.row());
    if (!placing_ && windowMoving_ == 0) {
        const std::size_t visible = model_->Window().Visible();
        switch (hint) {
            case PositionAtTop:
                model_->ScrollTo(row);
                break;
            case PositionAtBottom:
                model_->ScrollTo(row + 1 > visible ? row + 1 - visible : 0);
                break;
            case PositionAtCenter:
                model_->ScrollTo(row > visible / 2 ? row - visible / 2 : 0);
                break;
            default:
                model_->Reveal(row);
        }
    }
    const int shown = model_->RowOf(row);
    if (shown < 0) return;
    {
        // Sideways only: the row is in sight now.
        const BarHold hold(holdingBar_);
        QTableView::scrollTo(model_->index(shown, index.column()), EnsureVisible);
    }
    SyncScrollBar();
}

void ReadingGridView::WindowAboutToMove() {
    if (windowMoving_++ == 0) {
        offsetBefore_ = model_->Offset();
        wasReset_ = false;
    }
}

void ReadingGridView::WindowMoved(bool newestFollowed) {
    --windowMoving_;
    const std::optional<std::size_t> currentBefore = currentRow_;
    if (newestFollowed) {
        currentRow_ = model_->LogRowCount() - 1;
        currentSelected_ = true;
    }
    if (windowMoving_ > 0) return;
    if (wasReset_) {
        viewport()->update();
    } else {
        RepaintMovedRows(offsetBefore_);
    }
    PlaceCurrentRow();
    if (currentBefore != currentRow_) {
        RepaintLogRow(currentBefore);
        RepaintLogRow(currentRow_);
    }
    SyncScrollBar();
}

}  // namespace varlo::app
