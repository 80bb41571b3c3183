// The reading grid over a real log: its model under QAbstractItemModelTester
// and the table view as the window shows it.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "GlyphInk.h"
#include "app/Glyphs.h"
#include "app/ReadingGridColumns.h"
#include "app/ReadingGridDelegate.h"
#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"
#include "recording/ReadingLog.h"

using varlo::ReadingLog;
using varlo::app::ReadingGridDelegate;
using varlo::app::ReadingGridModel;
using varlo::app::ReadingGridView;

namespace {

void Record(ReadingLog& log, int no, const char* value = "1.2345") {
    log.AppendRow(no, "12:00:0" + std::to_string(no % 10), "DC", value, "V", "Pass", 12345);
}

QString Cell(const QAbstractItemModel& model, int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
}

}  // namespace

class ReadingGridTest : public QObject {
    Q_OBJECT

  private slots:
    void ModelKeepsItsContractThroughAppendsLoadsAndClears();
    void ShowsTheLogColumnsAsTheyAreStored();
    void IsLaidOutAsTheLogGrid();
    void FollowsTheNewestRowAndResetsOnClear();
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
    ReadingGridView grid(log);
    QCOMPARE(grid.objectName(), QStringLiteral("DBGrid1"));
    QCOMPARE(grid.size(), QSize(334, 241));
    const QList<int> widths{53, 50, 70, 56, 35};
    for (int column = 0; column < widths.size(); ++column)
        QCOMPARE(grid.columnWidth(column), widths[column]);
    QCOMPARE(grid.columnWidth(5), grid.horizontalHeader()->defaultSectionSize());
    QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(grid.showGrid());
    QCOMPARE(grid.font().pixelSize(), 12);
    QCOMPARE(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

void ReadingGridTest::FollowsTheNewestRowAndResetsOnClear() {
    ReadingLog log;
    ReadingGridView grid(log);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    for (int no = 1; no <= 40; ++no) Record(log, no);
    const QModelIndex newest = grid.model()->index(39, 0);
    QCOMPARE(grid.currentIndex(), newest);
    QVERIFY(grid.selectionModel()->isRowSelected(39, QModelIndex()));
    QVERIFY(grid.viewport()->rect().contains(grid.visualRect(newest)));
    QVERIFY(!grid.viewport()->rect().intersects(grid.visualRect(grid.model()->index(0, 0))));

    // The user looks at an old row; the next reading brings the grid back.
    grid.scrollToTop();
    grid.setCurrentIndex(grid.model()->index(2, 3));
    Record(log, 41);
    QCOMPARE(grid.currentIndex(), grid.model()->index(40, 3));
    QVERIFY(grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex())));

    log.Clear();
    QCOMPARE(grid.model()->rowCount(), 0);
    QVERIFY(!grid.currentIndex().isValid());
    Record(log, 1);
    QCOMPARE(grid.currentIndex().row(), 0);
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
