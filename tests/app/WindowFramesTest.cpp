// Frames through the whole window: a replayed meter stream fed to the session
// as the serial driver hands it over, and the display replica, the reading,
// the judgement, the grid and the chart showing what it did; the limits'
// texts rewritten after a change of locale, the alarm beep, and the mark of
// a record limit that stops recording.

#include <QAbstractItemModel>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include "MeterStream.h"
#include "WindowFixture.h"
#include "app/Controls.h"
#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"

using varlo::Dialogs;
using varlo::app::testing::AreaPoints;
using varlo::app::testing::Feed;
using varlo::app::testing::kSteadyFrame;
using varlo::app::testing::Replay;
using varlo::app::testing::SampleStream;
using varlo::app::testing::WindowFixture;

namespace {

// 12.345 mA DC, manual range: digits 1 2 3 4 5, the point after the second.
constexpr char kMilliamps[] = "A012345F00080D";
// A range code the meter never sends: the frame passes the frame test but
// is rejected by the decoder.
constexpr char kRejected[] = "AB12345B00080D";

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

// Types `text` over the whole of an edit.
void Retype(QLineEdit& edit, const char* text) {
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

}  // namespace

class WindowFramesTest : public QObject {
    Q_OBJECT

  private slots:
    // The sample stream in reads cut anywhere, then a known frame: every
    // view shows that frame and the log, and a rejected frame after it
    // changes nothing and shows nothing modal.
    void aReplayedStreamDrivesEveryView() {
        WindowFixture f;
        f.Show();
        varlo::MeterSession& session = f.window->Session();
        Replay(session, SampleStream());
        Feed(session, kMilliamps);
        QCOMPARE(session.Log().RowCount(), std::size_t{54});

        // The display replica.
        const char* digits[] = {"LcdD0", "LcdDa", "LcdDb", "LcdDc", "LcdDd"};
        for (int i = 0; i < 5; ++i) {
            QWidget& digit = f.Get(digits[i]);
            QCOMPARE(digit.property("text").toString(), QString::number(i + 1));
            QVERIFY(digit.isVisible());
        }
        for (const char* lit : {"LcdP1", "LcdDc1", "LcdManu", "LCDA", "Lcdm"}) {
            QVERIFY2(f.Get(lit).isVisible(), lit);
        }
        for (const char* dark : {"LcdP0", "LcdP2", "LcdP3", "LcdAuto", "LcdV", "LcdAC", "LCDBF"}) {
            QVERIFY2(!f.Get(dark).isVisible(), dark);
        }

        // The reading and its judgement.
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").text(), QStringLiteral("12.345"));
        QCOMPARE(f.Get<QLabel>("judge").text(), QStringLiteral("Pass"));
        QCOMPARE(f.Get<varlo::app::CircleShape>("Shape1").brushColor(), QColor(0, 128, 0));
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").palette().color(QPalette::Base), QColor(0, 128, 0));

        // The grid: over every row of the log, showing the newest, current.
        auto& grid = f.Get<varlo::app::ReadingGridView>("DBGrid1");
        const varlo::app::ReadingGridModel& rows = grid.Model();
        QCOMPARE(rows.LogRowCount(), std::size_t{54});
        const int newest = rows.RowOf(53);
        QVERIFY(newest >= 0);
        QCOMPARE(Cell(rows, newest, 0), QStringLiteral("54"));
        QCOMPARE(Cell(rows, newest, 1), QStringLiteral("09:30:00"));
        QCOMPARE(Cell(rows, newest, 2), QStringLiteral("DC"));
        QCOMPARE(Cell(rows, newest, 3), QStringLiteral("12.345"));
        QCOMPARE(Cell(rows, newest, 4), QStringLiteral("mA"));
        QCOMPARE(Cell(rows, newest, 5), QStringLiteral("Pass"));
        QCOMPARE(grid.CurrentLogRow(), std::optional<std::size_t>{53});
        grid.SelectLogRow(0);
        QCOMPARE(Cell(rows, rows.RowOf(0), 0), QStringLiteral("1"));

        // The chart: one point per recorded reading at X 0, 1, 2, ...; the
        // window of the first page shows X 1 to 100, the last point being
        // this frame's scaled value.
        const QList<QPointF> points = AreaPoints(f.Get("Chtshow"));
        QCOMPARE(session.ChartModel().PointCount(0), 54);
        QCOMPARE(points.size(), 53);
        QCOMPARE(points.first().x(), 1.0);
        QCOMPARE(points.last(), QPointF(53, 12.345));

        Feed(session, kRejected);
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").text(), QStringLiteral("12.345"));
        QCOMPARE(rows.LogRowCount(), std::size_t{54});
        QVERIFY(f.dialogs.Asked().empty());
        QVERIFY(f.dialogs.Informed().empty());
        QVERIFY(f.dialogs.Errors().empty());
    }

    // A reading beyond a limit fails: red; back inside: green again. An
    // overload fails whatever the limits.
    void judgementFollowsTheLimits() {
        WindowFixture f;
        f.Show();
        varlo::MeterSession& session = f.window->Session();
        auto& shape = f.Get<varlo::app::CircleShape>("Shape1");
        auto& judge = f.Get<QLabel>("judge");
        Retype(f.Get<QLineEdit>("T1HI"), "10");
        Feed(session, kMilliamps);
        QCOMPARE(judge.text(), QStringLiteral("Fail"));
        QCOMPARE(shape.brushColor(), QColor(255, 0, 0));
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").palette().color(QPalette::Base), QColor(255, 0, 0));
        Retype(f.Get<QLineEdit>("T1HI"), "20");
        Feed(session, kMilliamps);
        QCOMPARE(judge.text(), QStringLiteral("Pass"));
        QCOMPARE(shape.brushColor(), QColor(0, 128, 0));
        Feed(session, "A100000B100A0D");  // "0.L": overload
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").text(), QStringLiteral("0.L"));
        QCOMPARE(judge.text(), QStringLiteral("Fail"));
        QCOMPARE(shape.brushColor(), QColor(255, 0, 0));
    }

    // A locale change reaches the session: the limits typed with "." are
    // brought to "," by the next frame and the boxes show it, the reading
    // is written with ",", and "," is now the separator the limits take.
    void aLocaleChangeReachesTheSession() {
        WindowFixture f;
        f.Show();
        varlo::MeterSession& session = f.window->Session();
        auto& hi = f.Get<QLineEdit>("T1HI");
        auto& lo = f.Get<QLineEdit>("T1LO");
        Retype(hi, "20.5");
        Retype(lo, "-1.5");
        varlo::LocaleFormat comma;
        comma.DecimalSeparator = ",";
        comma.ThousandSeparator = ".";
        f.locale.Set(comma);
        QEvent change(QEvent::LocaleChange);
        QApplication::sendEvent(f.window.get(), &change);
        Feed(session, kMilliamps);
        QCOMPARE(hi.text(), QStringLiteral("20,5"));
        QCOMPARE(lo.text(), QStringLiteral("-1,5"));
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").text(), QStringLiteral("12,345"));
        QCOMPARE(f.Get<QLabel>("judge").text(), QStringLiteral("Pass"));
        Retype(hi, "7,");
        QCOMPARE(hi.text(), QStringLiteral("7,"));
        Retype(hi, "8.");
        QCOMPARE(hi.text(), QStringLiteral("8"));
    }

    // A switched-on alarm limit beeps once per reading beyond it; switched
    // off, it is silent.
    void alarmBeepsBeyondASwitchedOnLimit() {
        WindowFixture f;
        f.Show();
        varlo::MeterSession& session = f.window->Session();
        Retype(f.Get<QLineEdit>("Setmax"), "12000");
        Feed(session, kMilliamps, 2);  // 12345 counts
        QCOMPARE(session.Display().beeps, std::uint64_t{0});
        Click(f.Get("SetMaxB"));
        Feed(session, kMilliamps, 3);
        Feed(session, kSteadyFrame);  // 1234 counts
        QCOMPARE(session.Display().beeps, std::uint64_t{3});
        Click(f.Get("SetMaxB"));
        Feed(session, kMilliamps);
        QCOMPARE(session.Display().beeps, std::uint64_t{3});
    }

    // When the record limit stops recording, the record row carries a mark
    // and the page number says why, with no box to click away; clearing the
    // log or raising the limit takes the mark away.
    void theRecordLimitShowsWithoutABox() {
        WindowFixture f;
        f.Show();
        varlo::MeterSession& session = f.window->Session();
        auto& mark = f.Get<QLabel>("LimitMark");
        auto& page = f.Get<QToolButton>("Bt10");
        f.Get<QAction>("N10001").trigger();
        Feed(session, kSteadyFrame, 999);
        QVERIFY(!mark.isVisible());
        QCOMPARE(page.toolTip(), QStringLiteral("Page No."));
        Feed(session, kSteadyFrame, 2);
        QCOMPARE(session.Log().RowCount(), std::size_t{1000});
        QVERIFY(mark.isVisible());
        QVERIFY(f.window->centralWidget()->rect().contains(mark.geometry()));
        QVERIFY2(mark.toolTip().contains("record limit of 1000"), qPrintable(mark.toolTip()));
        QVERIFY2(page.toolTip().startsWith("Page No.") && page.toolTip().contains("1000"),
                 qPrintable(page.toolTip()));

        f.Get<QAction>("N50001").trigger();
        QVERIFY(!mark.isVisible());
        QCOMPARE(page.toolTip(), QStringLiteral("Page No."));
        f.Get<QAction>("N10001").trigger();
        QVERIFY(mark.isVisible());
        f.dialogs.answers = {Dialogs::Answer::Yes};
        Click(f.Get("RecordNew"));
        QVERIFY(!mark.isVisible());
        QCOMPARE(page.toolTip(), QStringLiteral("Page No."));
        QCOMPARE(f.dialogs.Asked(), std::vector<std::string>{"Do you want to delete this record?"});
        QVERIFY(f.dialogs.Informed().empty());
        QVERIFY(f.dialogs.Errors().empty());
    }
};

VARLO_APP_TEST_MAIN(WindowFramesTest)
#include "WindowFramesTest.moc"
