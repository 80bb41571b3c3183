// The reading grid over a real log: its model under QAbstractItemModelTester
// and the table view as the window shows it, scrolled over logs of up to ten
// million rows.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "GlyphInk.h"
#include "app/Glyphs.h"
#include "app/ReadingGridColumns.h"
#include "app/ReadingGridDelegate.h"
#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"
#include "common/Dialogs.h"
#include "recording/ReadingLog.h"
#include "recording/TableFiles.h"

using varlo::ReadingLog;
using varlo::app::ReadingGridDelegate;
using varlo::app::ReadingGridModel;
using varlo::app::ReadingGridView;

namespace {

void Record(ReadingLog& log, int no, const char* value = "1.2345") {
    log.AppendRow(no, "12:00:0" + std::to_string(no % 10), "DC", value, "V", "Pass", 12345);
}

// Rows numbered on from the log's end.
void Fill(ReadingLog& log, int rows) {
    const int first = static_cast<int>(log.RowCount()) + 1;
    for (int no = first; no < first + rows; ++no) Record(log, no);
}

QString Cell(const QAbstractItemModel& model, int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
}

class SilentDialogs : public varlo::Dialogs {
  public:
    Answer Ask(const std::string&) override { return Answer::No; }
    void Inform(const std::string& text) override { shown.push_back(text); }
    void SystemMessage(const std::string&, const std::string& text) override {
        shown.push_back(text);
    }
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// A grid shown offscreen, read as its user reads it: the number in the No
// column of the rows on the screen.
struct ShownGrid {
    explicit ShownGrid(ReadingLog& log) : grid(log) {
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
    }
    int RowHeight() const { return grid.verticalHeader()->defaultSectionSize(); }
    int Visible() const { return static_cast<int>(grid.Model().Window().Visible()); }
    // The No of the whole row at a place on the screen, counted from the top.
    QString NoOnScreen(int place) const {
        return grid.indexAt(QPoint(2, place * RowHeight() + RowHeight() / 2)).data().toString();
    }
    QString Top() const { return NoOnScreen(0); }
    QString Bottom() const { return NoOnScreen(Visible() - 1); }
    // The No of the selected row as the table shows it ("" when none is).
    QString Selected() const {
        const QModelIndexList rows = grid.selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().data().toString() : QString();
    }
    QScrollBar& Bar() const { return *grid.verticalScrollBar(); }
    // Whether the pixels on the screen are those of the grid painted afresh:
    // rows moved on the screen rather than repainted show what they should.
    bool ScreenIsFresh() {
        QApplication::processEvents();
        const QImage screen = grid.screen()->grabWindow(grid.winId()).toImage();
        const QImage fresh = grid.grab().toImage();
        return !screen.isNull() && screen.convertToFormat(QImage::Format_RGB32) ==
                                       fresh.convertToFormat(QImage::Format_RGB32);
    }
    void Key(int key) { QTest::keyClick(&grid, static_cast<Qt::Key>(key)); }

    ReadingGridView grid;
};

}  // namespace

class ReadingGridTest : public QObject {
    Q_OBJECT

  private slots:
    void ModelKeepsItsContractThroughAppendsLoadsAndClears();
    void ModelWindowMovesOverTheLog();
    void ShowsTheLogColumnsAsTheyAreStored();
    void IsLaidOutAsTheLogGrid();
    void ScrollsToAnyRowByBarWheelAndKeys();
    void SelectionStaysOnItsLogRow();
    void FollowsNewRowsOnlyAtTheEnd();
    void ResetsOnClearAndOnALoad();
    void HoldsAScreenfulOfTenMillionRows();
    void DrawsTheUnitColumnWithTheMeterGlyphs();
};

void ReadingGridTest::ModelKeepsItsContractThroughAppendsLoadsAndClears() {
    ReadingLog log;
    Record(log, 1);
    ReadingGridModel model(log);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QCOMPARE(model.rowCount(), 1);

    Record(log, 2);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.last().at(1).toInt(), 1);
    QCOMPARE(inserted.last().at(2).toInt(), 1);

    // A loader appends silently and announces all of its rows at once; until
    // then the grid does not know them.
    log.SetNotificationsSuspended(true);
    for (int no = 3; no <= 7; ++no) Record(log, no);
    QCOMPARE(model.rowCount(), 2);
    log.SetNotificationsSuspended(false);
    log.NotifyRowsAppended(2, 6);
    QCOMPARE(model.rowCount(), 7);
    QCOMPARE(inserted.last().at(1).toInt(), 2);
    QCOMPARE(inserted.last().at(2).toInt(), 6);
    QCOMPARE(Cell(model, 6, 0), QStringLiteral("7"));

    log.TruncateTo(4);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 4);
    log.Clear();
    QCOMPARE(reset.count(), 2);
    QCOMPARE(model.rowCount(), 0);
    Record(log, 1);
    QCOMPARE(model.rowCount(), 1);
}

// The window over a 20-row log, five rows visible: every move keeps the
// model's contract and shows the rows from the offset on, with one row of
// margin where the log has it.
void ReadingGridTest::ModelWindowMovesOverTheLog() {
    ReadingLog log;
    Fill(log, 20);
    ReadingGridModel model(log);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy moved(&model, &ReadingGridModel::WindowMoved);

    struct Step {
        const char* what;
        std::function<void()> act;
        std::size_t offset;
        int rows;
        bool followed;
    };
    const std::vector<Step> steps{
        {"a whole log narrowed stays at its end", [&] { model.SetVisibleRows(5); }, 15, 5, false},
        {"to the top", [&] { model.ScrollTo(0); }, 0, 6, false},
        {"beyond the end", [&] { model.ScrollTo(1000); }, 15, 5, false},
        {"a row above", [&] { model.Reveal(3); }, 3, 6, false},
        {"a row below", [&] { model.Reveal(9); }, 5, 6, false},
        {"a new row while back", [&] { Record(log, 21); }, 5, 6, false},
        {"to the end", [&] { model.ScrollTo(16); }, 16, 5, false},
        {"a new row at the end", [&] { Record(log, 22); }, 17, 5, true},
        {"rows announced at once",
         [&] {
             log.SetNotificationsSuspended(true);
             Fill(log, 3);
             log.SetNotificationsSuspended(false);
             log.NotifyRowsAppended(22, 24);
         },
         20, 5, true},
        {"fewer rows at the end", [&] { model.SetVisibleRows(3); }, 22, 3, false},
        {"more rows than the log", [&] { model.SetVisibleRows(30); }, 0, 25, false},
        {"a new row in a window with room", [&] { Record(log, 26); }, 0, 26, true},
        {"cleared", [&] { log.Clear(); }, 0, 0, false},
        {"the first row after", [&] { Record(log, 1); }, 0, 1, true},
    };
    for (const Step& step : steps) {
        moved.clear();
        step.act();
        QVERIFY2(moved.count() == 1, step.what);
        QVERIFY2(moved.last().at(0).toBool() == step.followed, step.what);
        QVERIFY2(model.Offset() == step.offset, step.what);
        QVERIFY2(model.rowCount() == step.rows, step.what);
        if (step.rows == 0) continue;
        const QString first = QString::number(step.offset + 1);
        const QString last = QString::number(step.offset + static_cast<std::size_t>(step.rows));
        QVERIFY2(Cell(model, 0, 0) == first, step.what);
        QVERIFY2(Cell(model, step.rows - 1, 0) == last, step.what);
        const std::size_t end = step.offset + static_cast<std::size_t>(step.rows);
        QVERIFY2(model.RowOf(end - 1) == step.rows - 1 && model.LogRow(step.rows - 1) == end - 1,
                 step.what);
        QVERIFY2(model.RowOf(end) == -1, step.what);
        QVERIFY2(step.offset == 0 || model.RowOf(step.offset - 1) == -1, step.what);
    }
    // A move that changes nothing says nothing.
    moved.clear();
    model.ScrollTo(0);
    model.Reveal(0);
    QCOMPARE(moved.count(), 0);
}

void ReadingGridTest::ShowsTheLogColumnsAsTheyAreStored() {
    ReadingLog log;
    ReadingGridModel model(log);
    log.AppendRow(12, "23:59:58", "Frequency", "-0L", "k*", "Fail", 22000);
    const std::size_t empty = log.AppendRow();  // every field null
    log.AppendRow(-3, "00:00:01", "Temperature", "025.4", "\xC2\xB0?", "Pass", 254);
    const QStringList row0{"12", "23:59:58", "Frequency", "-0L", "k*", "Fail"};
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(Cell(model, 0, column), row0[column]);
        QCOMPARE(Cell(model, static_cast<int>(empty), column), QString());
    }
    QCOMPARE(Cell(model, 2, 0), QStringLiteral("-3"));
    QCOMPARE(Cell(model, 2, 4), QStringLiteral("°?"));
    QCOMPARE(model.columnCount(), 6);  // NVal is not shown
    QCOMPARE(model.flags(model.index(0, 3)) & Qt::ItemIsEditable, Qt::ItemFlags());

    const QStringList titles{"No", "time", "Function", "Value", "Unit", "Judge"};
    const QList<Qt::Alignment> alignments{Qt::AlignLeft,  Qt::AlignHCenter, Qt::AlignHCenter,
                                          Qt::AlignRight, Qt::AlignRight,   Qt::AlignLeft};
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), titles[column]);
        const auto alignment =
            model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>();
        QCOMPARE(alignment & Qt::AlignHorizontal_Mask, alignments[column]);
    }
}

void ReadingGridTest::IsLaidOutAsTheLogGrid() {
    ReadingLog log;
    Fill(log, 3);
    ShownGrid shown(log);
    ReadingGridView& grid = shown.grid;
    QCOMPARE(grid.objectName(), QStringLiteral("DBGrid1"));
    QCOMPARE(grid.size(), QSize(334, 241));
    const QList<int> widths{53, 50, 70, 56, 35};
    int used = 0;
    for (int column = 0; column < widths.size(); ++column) {
        QCOMPARE(grid.columnWidth(column), widths[column]);
        used += widths[column];
    }
    // "Judge" takes the rest of the grid's width: no horizontal bar, also
    // once the log has been cleared.
    for (const char* when : {"shown", "cleared"}) {
        if (QByteArray(when) == "cleared") log.Clear();
        QTRY_COMPARE(grid.columnWidth(5), grid.viewport()->width() - used);
        QCOMPARE(grid.columnWidth(0), widths[0]);
        QVERIFY2(!grid.horizontalScrollBar()->isVisible(), when);
        QCOMPARE(grid.horizontalScrollBar()->maximum(), 0);
    }
    QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(grid.showGrid());
    QCOMPARE(grid.font().pixelSize(), 12);
    QCOMPARE(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

void ReadingGridTest::ScrollsToAnyRowByBarWheelAndKeys() {
    ReadingLog log;
    Fill(log, 1000);
    ShownGrid shown(log);
    const int visible = shown.Visible();
    QVERIFY(visible >= 5);
    QScrollBar& bar = shown.Bar();
    // Made over a log, the grid shows its end.
    QCOMPARE(bar.maximum(), 1000 - visible);
    QCOMPARE(bar.pageStep(), visible);
    QCOMPARE(bar.value(), bar.maximum());
    QCOMPARE(shown.Bottom(), QStringLiteral("1000"));

    const auto top = [&](int no) { return QString::number(no); };
    bar.setValue(0);
    QCOMPARE(shown.Top(), top(1));
    bar.setValue(500);
    QCOMPARE(shown.Top(), top(501));
    QCOMPARE(shown.Bottom(), top(500 + visible));
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(shown.Top(), top(501 + visible));
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(shown.Top(), top(500 + visible));

    // The wheel, one notch down: the application's lines a notch.
    const int lines = QApplication::wheelScrollLines();
    const QPoint inside = shown.grid.viewport()->rect().center();
    QWheelEvent wheel(inside, shown.grid.viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(shown.grid.viewport(), &wheel);
    QCOMPARE(shown.Top(), top(500 + visible + lines));

    // Dragging the thumb to the bottom of the bar with the mouse.
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = option.sliderValue = bar.value();
    option.pageStep = bar.pageStep();
    option.singleStep = bar.singleStep();
    const QRect thumb = bar.style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                    QStyle::SC_ScrollBarSlider, &bar);
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, thumb.center());
    QTest::mouseMove(&bar, QPoint(thumb.center().x(), bar.height() + 50));
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier,
                        QPoint(thumb.center().x(), bar.height() + 50));
    QCOMPARE(bar.value(), bar.maximum());
    QCOMPARE(shown.Bottom(), top(1000));

    // Keys move the current row through the log, and the window with it.
    shown.grid.setFocus();
    shown.Key(Qt::Key_Home);
    QCOMPARE(shown.grid.CurrentLogRow(), std::optional<std::size_t>(0));
    QCOMPARE(shown.Top(), top(1));
    QCOMPARE(shown.Selected(), top(1));
    shown.Key(Qt::Key_PageDown);
    QCOMPARE(shown.Selected(), top(1 + visible));
    QCOMPARE(shown.Top(), top(1 + visible));
    for (int i = 0; i < visible; ++i) shown.Key(Qt::Key_Down);
    QCOMPARE(shown.Selected(), top(1 + 2 * visible));
    QCOMPARE(shown.Bottom(), top(1 + 2 * visible));
    shown.Key(Qt::Key_Up);
    QCOMPARE(shown.Selected(), top(2 * visible));
    shown.Key(Qt::Key_PageUp);
    QCOMPARE(shown.Selected(), top(visible));
    // Tab runs along a row and on to the next row of the log.
    shown.grid.setCurrentIndex(shown.grid.Model().index(shown.grid.currentIndex().row(), 5));
    shown.Key(Qt::Key_Tab);
    QCOMPARE(shown.Selected(), top(visible + 1));
    QCOMPARE(shown.grid.currentIndex().column(), 0);
    shown.Key(Qt::Key_Backtab);
    QCOMPARE(shown.Selected(), top(visible));
    QCOMPARE(shown.grid.currentIndex().column(), 5);
    shown.Key(Qt::Key_End);
    QCOMPARE(shown.Selected(), top(1000));
    QCOMPARE(shown.Bottom(), top(1000));
    shown.Key(Qt::Key_Down);
    QCOMPARE(shown.Selected(), top(1000));

    // A taller grid at the end shows more rows and stays at the end.
    shown.grid.resize(shown.grid.width(), 2 * shown.grid.height());
    QTRY_VERIFY(shown.Visible() > visible);
    QCOMPARE(shown.Bottom(), top(1000));
    QCOMPARE(shown.Bar().maximum(), 1000 - shown.Visible());
    QVERIFY(shown.ScreenIsFresh());

    // The table itself holds only the screenful.
    QVERIFY(shown.grid.verticalHeader()->count() <=
            shown.Visible() + ReadingGridModel::kMarginRows);
}

void ReadingGridTest::SelectionStaysOnItsLogRow() {
    ReadingLog log;
    Fill(log, 1000);
    ShownGrid shown(log);
    QScrollBar& bar = shown.Bar();
    bar.setValue(100);
    const QRect third = shown.grid.visualRect(shown.grid.Model().index(2, 1));
    QTest::mouseClick(shown.grid.viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
    QCOMPARE(shown.Selected(), QStringLiteral("103"));
    QCOMPARE(shown.grid.CurrentLogRow(), std::optional<std::size_t>(102));

    bar.setValue(101);
    QCOMPARE(shown.Selected(), QStringLiteral("103"));
    QCOMPARE(shown.NoOnScreen(1), QStringLiteral("103"));
    QCOMPARE(shown.grid.currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("103"));
    // Out of sight the table has no selection; the grid keeps its row.
    bar.setValue(500);
    QCOMPARE(shown.Selected(), QString());
    QVERIFY(!shown.grid.currentIndex().isValid());
    Fill(log, 5);
    QCOMPARE(shown.Top(), QStringLiteral("501"));
    bar.setValue(99);
    QCOMPARE(shown.Selected(), QStringLiteral("103"));
    QCOMPARE(shown.NoOnScreen(3), QStringLiteral("103"));
    shown.grid.setFocus();
    shown.Key(Qt::Key_Down);
    QCOMPARE(shown.Selected(), QStringLiteral("104"));
    QCOMPARE(shown.grid.CurrentLogRow(), std::optional<std::size_t>(103));
}

void ReadingGridTest::FollowsNewRowsOnlyAtTheEnd() {
    ReadingLog log;
    ShownGrid shown(log);
    const int visible = shown.Visible();
    Fill(log, 40);
    QCOMPARE(shown.Selected(), QStringLiteral("40"));
    QCOMPARE(shown.grid.CurrentLogRow(), std::optional<std::size_t>(39));
    QCOMPARE(shown.Bottom(), QStringLiteral("40"));
    QCOMPARE(shown.Top(), QString::number(41 - visible));

    // Scrolled back, the grid stays where the user put it.
    shown.Bar().setValue(3);
    Fill(log, 1);
    QCOMPARE(shown.Top(), QStringLiteral("4"));
    QCOMPARE(shown.grid.CurrentLogRow(), std::optional<std::size_t>(39));
    QCOMPARE(shown.Bar().maximum(), 41 - visible);
    QCOMPARE(shown.Bar().value(), 3);

    // Back at the end, it follows again.
    shown.Bar().setValue(shown.Bar().maximum());
    Fill(log, 2);
    QCOMPARE(shown.Selected(), QStringLiteral("43"));
    QCOMPARE(shown.Bottom(), QStringLiteral("43"));
    QCOMPARE(shown.Bar().value(), 43 - visible);

    // Following row by row, and scrolling a few rows either way, move the
    // rows' pixels and paint only what comes into sight: the screen shows
    // what a fresh paint shows.
    QVERIFY(shown.ScreenIsFresh());
    for (int i = 0; i < 3; ++i) {
        Fill(log, 1);
        QVERIFY(shown.ScreenIsFresh());
    }
    for (const int rows : {-1, -3, 2, visible, 1}) {
        shown.Bar().setValue(shown.Bar().value() + rows);
        QVERIFY(shown.ScreenIsFresh());
    }
}

void ReadingGridTest::ResetsOnClearAndOnALoad() {
    ReadingLog log;
    Fill(log, 100);
    ShownGrid shown(log);
    const int visible = shown.Visible();
    QCOMPARE(shown.Selected(), QString());  // nothing recorded since it was made
    shown.grid.SelectLogRow(50);
    QCOMPARE(shown.Selected(), QStringLiteral("51"));

    log.Clear();
    QCOMPARE(shown.grid.Model().rowCount(), 0);
    QCOMPARE(shown.Bar().maximum(), 0);
    QVERIFY(!shown.grid.CurrentLogRow());
    QVERIFY(!shown.grid.currentIndex().isValid());
    Fill(log, 1);
    QCOMPARE(shown.Selected(), QStringLiteral("1"));

    // A file of 500 rows replaces the log: its top is shown, nothing current.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string file = dir.filePath(QStringLiteral("readings.txt")).toStdString();
    ReadingLog saved;
    Fill(saved, 500);
    SilentDialogs dialogs;
    QVERIFY(varlo::SaveTableText(saved, file, dialogs));
    QVERIFY(varlo::LoadTableFile(file, log, /*emptyFirst=*/true, dialogs));
    QCOMPARE(shown.Top(), QStringLiteral("1"));
    QCOMPARE(shown.Selected(), QString());
    QCOMPARE(shown.Bar().value(), 0);
    QCOMPARE(shown.Bar().maximum(), 500 - visible);

    // Its rows added to a log shown at its end: the grid follows to the last.
    shown.Bar().setValue(shown.Bar().maximum());
    QVERIFY(varlo::LoadTableFile(file, log, /*emptyFirst=*/false, dialogs));
    QCOMPARE(log.RowCount(), std::size_t{1000});
    QCOMPARE(shown.grid.CurrentLogRow(), std::optional<std::size_t>(999));
    QCOMPARE(shown.Bottom(), QStringLiteral("500"));
    QCOMPARE(shown.Bar().maximum(), 1000 - visible);
}

// Ten million rows, filled fast (fields null but a few numbers): the table
// still holds a screenful, and every part of the log is reached.
void ReadingGridTest::HoldsAScreenfulOfTenMillionRows() {
    constexpr int kRows = 10'000'000;
    ReadingLog log;
    for (int i = 0; i < kRows; ++i) log.AppendRow();
    for (const int row : {0, 1, 5'000'000, 5'000'001, kRows - 2, kRows - 1})
        log.SetInt(static_cast<std::size_t>(row), ReadingLog::kNo, row + 1);
    ShownGrid shown(log);
    const int visible = shown.Visible();
    QCOMPARE(shown.grid.Model().rowCount(), visible);  // at the end: no margin row below
    QCOMPARE(shown.grid.verticalHeader()->count(), visible);
    QCOMPARE(shown.Bar().maximum(), kRows - visible);
    QCOMPARE(shown.Bottom(), QString::number(kRows));

    shown.Bar().setValue(5'000'000);
    QCOMPARE(shown.Top(), QStringLiteral("5000001"));
    QCOMPARE(shown.NoOnScreen(1), QStringLiteral("5000002"));
    QCOMPARE(shown.NoOnScreen(2), QString());
    shown.grid.setFocus();
    shown.Key(Qt::Key_Home);
    QCOMPARE(shown.Top(), QStringLiteral("1"));
    shown.Key(Qt::Key_End);
    QCOMPARE(shown.Selected(), QString::number(kRows));
    log.AppendRow(kRows + 1, "", "", "", "", "", 0);
    QCOMPARE(shown.Selected(), QString::number(kRows + 1));
    QCOMPARE(shown.grid.verticalHeader()->count(), visible);
}

void ReadingGridTest::DrawsTheUnitColumnWithTheMeterGlyphs() {
    ReadingLog log;
    ReadingGridView grid(log);
    log.AppendRow(1, "12:00:00", "Ohm", "1.1111", "K*", "Pass", 11111);
    log.AppendRow(2, "12:00:01", "Ohm", "1.1112", "K*", "Pass", 11112);  // the current row
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    // The cell as the grid shows it, and the glyphs drawn alone on the
    // cell's white background.
    const auto shown = [&](int column) {
        return grid.viewport()->grab(grid.visualRect(grid.model()->index(0, column))).toImage();
    };
    const auto glyphs = [&](QSize size, const char* text, Qt::Alignment align) {
        return varlo::test::Render(size, [&](QPainter& painter) {
            varlo::app::DrawGlyphText(painter, ReadingGridDelegate::TextRect(QRect(QPoint(), size)),
                                      text, ReadingGridDelegate::GlyphPixelHeight(grid.font()),
                                      align | Qt::AlignVCenter);
        });
    };
    const QImage unit = shown(varlo::app::kUnitGridColumn).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!varlo::test::InkBox(unit).isEmpty());
    QCOMPARE(unit, glyphs(unit.size(), "K*", Qt::AlignRight).convertToFormat(QImage::Format_RGB32));
    // The other columns keep the grid's font.
    const QImage value = shown(3).convertToFormat(QImage::Format_RGB32);
    QVERIFY(value !=
            glyphs(value.size(), "1.1111", Qt::AlignRight).convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(ReadingGridTest)
#include "ReadingGridTest.moc"
