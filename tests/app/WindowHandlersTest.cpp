// The window's handlers as the user reaches them: Quit and Exit, a typed
// alarm limit that is not a number, the record-limit menu, paging, Record
// New, the table files, enlarging the chart, the sampling countdown, the
// check boxes and the Fill menu, the page-size delay, the chart picture and
// the recall clock's edits.

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <map>

#include "MeterStream.h"
#include "WindowFixture.h"
#include "app/Controls.h"
#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"
#include "chart/TrendChartModel.h"

using varlo::Dialogs;
using varlo::app::testing::AreaPoints;
using varlo::app::testing::Feed;
using varlo::app::testing::kSteadyFrame;
using varlo::app::testing::WindowFixture;

namespace {

// `count` readings recorded, each a row and a chart point.
void AddRows(varlo::MeterSession& session, int count) {
    Feed(session, kSteadyFrame, count);
}

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

}  // namespace

class WindowHandlersTest : public QObject {
    Q_OBJECT

  private slots:
    void quitAnsweredNoChangesNothing() {
        WindowFixture f;
        f.Show();
        AddRows(f.window->Session(), 3);
        f.dialogs.answers = {Dialogs::Answer::No};
        Click(f.Get("BitBtn1"));
        QCOMPARE(f.dialogs.asked,
                 std::vector<std::string>{"Are you sure that you want to quit this application?"});
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.window->Session().Log().RowCount(), std::size_t{3});
        QVERIFY(f.Get<QTimer>("Trecord").isActive());
    }

    void quitAnsweredYesCloses() {
        WindowFixture f;
        f.Show();
        f.dialogs.answers = {Dialogs::Answer::Yes};
        Click(f.Get("BitBtn1"));
        QCOMPARE(f.dialogs.asked.size(), std::size_t{1});
        QVERIFY(!f.window->isVisible());
    }

    // "Exit" and the close box end the program without a question, also
    // with unsaved readings in the log.
    void exitAndCloseBoxAskNothing() {
        {
            WindowFixture exit;
            exit.Show();
            AddRows(exit.window->Session(), 2);
            emit exit.Get<varlo::app::ClickPanel>("BtExit").clicked();
            QVERIFY(!exit.window->isVisible());
            QVERIFY(exit.dialogs.asked.empty());
        }
        WindowFixture closeBox;
        closeBox.Show();
        AddRows(closeBox.window->Session(), 2);
        QVERIFY(closeBox.window->close());
        QVERIFY(closeBox.dialogs.asked.empty());
    }

    // An alarm limit typed as "12-" fails its conversion: the general error
    // report shows the message, the limit keeps its value, the text stays
    // as typed, and the window goes on taking keys.
    void typedLimitThatIsNotANumberReachesTheErrorReport() {
        WindowFixture f;
        f.Show();
        auto& setmax = f.Get<QLineEdit>("Setmax");
        setmax.selectAll();
        QTest::keyClicks(&setmax, "12");
        QCOMPARE(f.window->Session().Alarms().AlarmHigh, 12.0f);
        QTest::keyClick(&setmax, Qt::Key_Minus);
        QCOMPARE(f.dialogs.errors, std::vector<std::string>{"'12-' is not a valid integer value"});
        QCOMPARE(setmax.text(), QStringLiteral("12-"));
        QCOMPARE(f.window->Session().Alarms().AlarmHigh, 12.0f);
        QTest::keyClick(&setmax, Qt::Key_Backspace);
        QTest::keyClick(&setmax, Qt::Key_5);
        QCOMPARE(setmax.text(), QStringLiteral("125"));
        QCOMPARE(f.window->Session().Alarms().AlarmHigh, 125.0f);
        QCOMPARE(f.dialogs.errors.size(), std::size_t{1});
    }

    // A judge limit typed empty or as a lone minus is replaced at once.
    void judgeLimitsAreReplacedWhenNotANumber() {
        WindowFixture f;
        f.Show();
        auto& lo = f.Get<QLineEdit>("T1LO");
        lo.selectAll();
        QTest::keyClick(&lo, Qt::Key_Backspace);
        QCOMPARE(lo.text(), QStringLiteral("0"));
        QCOMPARE(lo.selectedText(), QStringLiteral("0"));
        QTest::keyClick(&lo, Qt::Key_Minus);
        QCOMPARE(lo.text(), QStringLiteral("-0"));
        QCOMPARE(lo.selectedText(), QStringLiteral("0"));
        QTest::keyClick(&lo, Qt::Key_5);
        QCOMPARE(lo.text(), QStringLiteral("-5"));
        QCOMPARE(f.window->Session().Controls().T1LO.Text(), std::string("-5"));
    }

    void recordLimitMenu_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("limit");
        QTest::newRow("1000") << "N10001" << 1000;
        QTest::newRow("5000") << "N50001" << 5000;
        QTest::newRow("10000") << "N100001" << 10000;
        QTest::newRow("50000") << "N500001" << 50000;
        QTest::newRow("100000") << "N1000001" << 100000;
        QTest::newRow("limitless") << "limitess" << 10000000;
    }

    void recordLimitMenu() {
        QFETCH(QString, item);
        QFETCH(int, limit);
        WindowFixture f;
        // Start from another item, so that each row moves the check mark.
        f.Get<QAction>(item == "N50001" ? "N10001" : "N50001").trigger();
        f.Get<QAction>(item.toUtf8().constData()).trigger();
        QCOMPARE(f.window->Session().Recording().RecordLimit, limit);
        for (const char* name :
             {"N10001", "N50001", "N100001", "N500001", "N1000001", "limitess"}) {
            QCOMPARE(f.Get<QAction>(name).isChecked(), item == name);
        }
    }

    // The paging buttons and the menu items move the chart a page and show
    // its number on Bt10.
    void pagingShowsThePageNumber() {
        WindowFixture f;
        f.Show();
        AddRows(f.window->Session(), 250);
        auto& page = f.Get<QToolButton>("Bt10");
        Click(f.Get("BtFirst"));
        QCOMPARE(page.text(), QStringLiteral("1"));
        Click(f.Get("BtNext"));
        QCOMPARE(page.text(), QStringLiteral("2"));
        Click(f.Get("BTlast"));
        QCOMPARE(page.text(), QStringLiteral("3"));
        Click(f.Get("BTPrevious"));
        QCOMPARE(page.text(), QStringLiteral("2"));
        f.Get<QAction>("First").trigger();
        QCOMPARE(page.text(), QStringLiteral("1"));
        f.Get<QAction>("Last").trigger();
        QCOMPARE(page.text(), QStringLiteral("3"));
        QCOMPARE(f.window->Session().Chart().GetPageNo(), 3);
    }

    void recordNewClearsOnlyWhenConfirmed() {
        WindowFixture f;
        f.Show();
        varlo::MeterSession& session = f.window->Session();
        AddRows(session, 150);
        f.Get<QAction>("Last").trigger();
        f.dialogs.answers = {Dialogs::Answer::No, Dialogs::Answer::Yes};
        Click(f.Get("RecordNew"));
        QCOMPARE(f.dialogs.asked, std::vector<std::string>{"Do you want to delete this record?"});
        QCOMPARE(session.Log().RowCount(), std::size_t{150});
        QCOMPARE(f.Get<varlo::app::ReadingGridView>("DBGrid1").Model().LogRowCount(),
                 std::size_t{150});
        QCOMPARE(f.Get<QToolButton>("Bt10").text(), QStringLiteral("2"));
        f.Get<QAction>("New1").trigger();
        QCOMPARE(f.dialogs.asked.size(), std::size_t{2});
        QCOMPARE(session.Log().RowCount(), std::size_t{0});
        QCOMPARE(f.Get<varlo::app::ReadingGridView>("DBGrid1").Model().LogRowCount(),
                 std::size_t{0});
        QCOMPARE(f.Get<QToolButton>("Bt10").text(), QStringLiteral("1"));
        QCOMPARE(session.ChartModel().PointCount(0), 1);  // the placeholder of New, at X 0
        QVERIFY(AreaPoints(f.Get("Chtshow")).isEmpty());
        // The first reading after it is drawn at the window's left edge.
        AddRows(session, 1);
        QCOMPARE(AreaPoints(f.Get("Chtshow")), QList<QPointF>{QPointF(1, 0.1234)});
    }

    // Save and open go through their dialogs to real files; a cancelled
    // dialog does nothing.
    void tableFilesThroughTheirDialogs() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string path = folder.filePath("readings.txt").toStdString();
        WindowFixture f;
        f.Show();
        AddRows(f.window->Session(), 2);
        f.files.answers = {path, std::nullopt};
        Click(f.Get("saveas"));
        f.Get<QAction>("Save1").trigger();
        QCOMPARE(f.files.shown, (std::vector<std::string>{"SaveDialog2", "SaveDialog2"}));
        QCOMPARE(f.dialogs.informed,
                 std::vector<std::string>{"save table to specified file: " + path + " Scuss!"});
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), QByteArray("No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n"));
        QCOMPARE(file.readLine(), QByteArray("1\t09:30:00\tDC\t0.1234\tV\tPass\r\n"));

        f.files.answers = {path, std::nullopt};
        Click(f.Get("OpenDataFiles"));
        Click(f.Get("OpenDataFiles"));
        QCOMPARE(f.files.shown.back(), std::string("OpenDialog1"));
        QCOMPARE(f.window->Session().Log().RowCount(), std::size_t{4});
    }

    // Enlarge, then restore: the chart returns exactly to its bounds and the
    // tool bar to its place.
    void enlargeAndRestoreTheChart() {
        WindowFixture f;
        f.Show();
        QWidget& chart = f.Get("Chtshow");
        const QRect before = chart.geometry();
        emit f.Get<varlo::app::PictureBox>("TbFd").clicked();
        const QSize outer = varlo::app::TFCOMM::OuterSize();
        QCOMPARE(chart.geometry(), QRect(2, 28, outer.width() - 12, outer.height() - 85));
        QVERIFY(!f.Get("Panel1").isVisible());
        QVERIFY(!f.Get("Panel6").isVisible());
        QVERIFY(!f.Get("TbFd").isVisible());
        QVERIFY(f.Get("TbSx").isVisible());
        QCOMPARE(f.Get("Panel5").pos(), QPoint(2, 2));
        QVERIFY(f.window->centralWidget()->rect().contains(chart.geometry()));

        emit f.Get<varlo::app::PictureBox>("TbSx").clicked();
        QCOMPARE(chart.geometry(), before);
        QCOMPARE(f.Get("Panel5").pos(), QPoint(341, 166));
        QVERIFY(f.Get("Panel1").isVisible());
        QVERIFY(f.Get("Panel6").isVisible());
        QVERIFY(f.Get("TbFd").isVisible());
        QVERIFY(!f.Get("TbSx").isVisible());
    }

    // New and the hidden series chooser reach the chart model.
    void newAndSeriesChooserReachTheChart() {
        WindowFixture f;
        varlo::MeterSession& session = f.window->Session();
        AddRows(session, 5);
        f.Get<QAction>("New").trigger();
        QCOMPARE(session.ChartModel().PointCount(0), 1);
        QCOMPARE(session.ChartModel().ActiveSeries(), 0);
        f.Get<QComboBox>("ComboBox1").setCurrentIndex(1);
        QCOMPARE(session.ChartModel().ActiveSeries(), 1);
    }

    // Each check box the session reads: a click reaches the session, and
    // the box shows the session's state.
    void checkBoxesReachTheSession_data() {
        QTest::addColumn<QString>("box");
        for (const char* box : {"BtFill", "RepeatSet", "multirange", "RecordSI", "SetMaxB",
                                "SetMinB", "RecallCheck"}) {
            QTest::newRow(box) << box;
        }
    }

    void checkBoxesReachTheSession() {
        QFETCH(QString, box);
        WindowFixture f;
        f.Show();
        auto& widget = f.Get<QCheckBox>(box.toUtf8().constData());
        const varlo::SessionControls& controls = f.window->Session().Controls();
        const std::map<QString, const bool*> state = {
            {"BtFill", &controls.BtFill},          {"RepeatSet", &controls.RepeatSet},
            {"multirange", &controls.multirange},  {"RecordSI", &controls.RecordSI},
            {"SetMaxB", &controls.SetMaxB},        {"SetMinB", &controls.SetMinB},
            {"RecallCheck", &controls.RecallCheck}};
        const bool before = *state.at(box);
        QCOMPARE(widget.isChecked(), before);
        Click(widget);
        QCOMPARE(*state.at(box), !before);
        QCOMPARE(widget.isChecked(), !before);
        Click(widget);
        QCOMPARE(*state.at(box), before);
        QCOMPARE(widget.isChecked(), before);
    }

    // "Fill" and the menu item Graphic/Fill show one choice; "Repeat" and
    // "Continue Record" re-apply it.
    void fillChoiceShowsInBothPlaces() {
        WindowFixture f;
        f.Show();
        const varlo::TrendChartModel& chart = f.window->Session().ChartModel();
        auto& box = f.Get<QCheckBox>("BtFill");
        auto& item = f.Get<QAction>("Fill");
        item.trigger();
        QVERIFY(!box.isChecked());
        QVERIFY(!item.isChecked());
        QCOMPARE(chart.ActiveSeries(), 1);
        Click(f.Get("RepeatSet"));
        Click(f.Get("multirange"));
        QCOMPARE(chart.ActiveSeries(), 1);
        QVERIFY(!item.isChecked());
        Click(box);
        QVERIFY(item.isChecked());
        QCOMPARE(chart.ActiveSeries(), 0);
        item.trigger();
        item.trigger();
        QVERIFY(box.isChecked());
        QVERIFY(item.isChecked());
        QCOMPARE(chart.ActiveSeries(), 0);
    }

    // Typing 2, 5, 0 into the emptied page-size edit changes the page size
    // once, to 250, 2000 ms after the last key: every key starts the delay
    // again. A text that is no number then reaches the error report at the
    // tick and leaves the page size.
    void pageSizeWaitsForTheLastKey() {
        WindowFixture f;
        f.Show();
        const varlo::TChartControl& chart = f.window->Session().Chart();
        auto& edit = f.Get<QLineEdit>("Maxrecord");
        auto& timer2 = f.Get<QTimer>("Timer2");
        QSignalSpy ticks(&timer2, &QTimer::timeout);
        QVERIFY(!timer2.isActive());
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_2);
        QVERIFY(timer2.isActive());
        QCOMPARE(timer2.interval(), 2000);
        // Once the delay has run a while, the next key starts it again.
        QTRY_VERIFY_WITH_TIMEOUT(timer2.remainingTime() < 1800, 10000);
        const int remaining = timer2.remainingTime();
        QTest::keyClick(&edit, Qt::Key_5);
        QVERIFY(timer2.remainingTime() > remaining);
        QTest::keyClick(&edit, Qt::Key_0);
        QElapsedTimer sinceLastKey;
        sinceLastKey.start();
        QCOMPARE(edit.text(), QStringLiteral("250"));
        QCOMPARE(chart.GetPageSize(), 100);
        QVERIFY(ticks.wait(10000));
        QVERIFY2(sinceLastKey.elapsed() >= 1950,
                 qPrintable(QString::number(sinceLastKey.elapsed())));
        QCOMPARE(ticks.count(), 1);
        QCOMPARE(chart.GetPageSize(), 250);
        QVERIFY(!timer2.isActive());

        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QVERIFY(QMetaObject::invokeMethod(&timer2, "timeout"));
        QCOMPARE(f.dialogs.errors, std::vector<std::string>{"'' is not a valid integer value"});
        QCOMPARE(chart.GetPageSize(), 250);
        QVERIFY(!timer2.isActive());
    }

    // The chart picture: whatever extension the name chosen has, the file
    // written ends in ".bmp", is a Windows bitmap of the chart as shown, and
    // the message names it.
    void chartPictureIsSavedAsBitmap_data() {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("no extension") << "trend";
        QTest::newRow("another extension") << "trend.png";
        QTest::newRow("upper case") << "trend.BMP";
    }

    void chartPictureIsSavedAsBitmap() {
        QFETCH(QString, chosen);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        WindowFixture f;
        f.Show();
        AddRows(f.window->Session(), 5);
        f.files.answers = {folder.filePath(chosen).toStdString()};
        Click(f.Get("BtSave"));
        QCOMPARE(f.files.shown, std::vector<std::string>{"SavePictureDialog1"});
        const QString written = folder.filePath(QStringLiteral("trend.bmp"));
        QCOMPARE(f.dialogs.informed,
                 std::vector<std::string>{
                     "Graphic has been saved successfully at the following location: " +
                     written.toStdString()});
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"trend.bmp"});
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        QCOMPARE(QImage(written).size(), f.Get("Chtshow").size());
        QVERIFY(f.dialogs.errors.empty());
    }

    // The picture is written under another name than the one chosen (it
    // gets ".bmp"): when that file exists, the user is asked before it is
    // replaced, since the dialog asked only about the name chosen.
    void chartPictureAsksBeforeReplacingAnotherFile_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("bmpExists");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("written");
        QTest::newRow("png chosen, bmp there, No") << "trend.png" << true << false << true << false;
        QTest::newRow("png chosen, bmp there, Yes") << "trend.png" << true << true << true << true;
        QTest::newRow("no extension, bmp there, No") << "trend" << true << false << true << false;
        QTest::newRow("bmp chosen: the dialog asked")
            << "trend.bmp" << true << false << false << true;
        QTest::newRow("png chosen, no bmp") << "trend.png" << false << false << false << true;
    }

    void chartPictureAsksBeforeReplacingAnotherFile() {
        QFETCH(QString, chosen);
        QFETCH(bool, bmpExists);
        QFETCH(bool, answerYes);
        QFETCH(bool, asked);
        QFETCH(bool, written);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString bmp = folder.filePath(QStringLiteral("trend.bmp"));
        if (bmpExists) {
            QFile old(bmp);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older picture");
        }
        WindowFixture f;
        f.Show();
        f.files.answers = {folder.filePath(chosen).toStdString()};
        f.dialogs.answers = {answerYes ? Dialogs::Answer::Yes : Dialogs::Answer::No};
        Click(f.Get("BtSave"));
        const std::vector<std::string> question{bmp.toStdString() +
                                                " already exists.\nDo you want to replace it?"};
        QCOMPARE(f.dialogs.asked, asked ? question : std::vector<std::string>{});
        QFile file(bmp);
        QCOMPARE(file.exists(), bmpExists || written);
        if (file.exists()) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.read(2), written ? QByteArray("BM") : QByteArray("an"));
        }
        QCOMPARE(f.dialogs.informed.size(), written ? std::size_t{1} : std::size_t{0});
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"trend.bmp"});
    }

    // A picture that cannot be written reaches the error report and no
    // success is shown; a cancelled dialog writes nothing.
    void chartPictureFailureIsReported() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        WindowFixture f;
        f.Show();
        f.files.answers = {folder.filePath("missing/trend").toStdString(), std::nullopt};
        Click(f.Get("BtSave"));
        QCOMPARE(f.dialogs.errors.size(), std::size_t{1});
        QVERIFY2(f.dialogs.errors[0].find("trend.bmp") != std::string::npos,
                 f.dialogs.errors[0].c_str());
        Click(f.Get("BtSave"));
        QCOMPARE(f.files.shown.size(), std::size_t{2});
        QVERIFY(f.dialogs.informed.empty());
        QVERIFY(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }

    // RecallData resets the time edits; a time beyond its range typed into
    // them is refused with a notice; a time that came without a key (pasted
    // from the edit's menu) is loaded when the focus leaves.
    void recallClockEdits() {
        WindowFixture f;
        f.Show();
        f.window->activateWindow();
        varlo::MeterSession& session = f.window->Session();
        Click(f.Get("RecallCheck"));
        for (const char* edit : {"TimeH", "TimeM", "TimeS"}) {
            QCOMPARE(f.Get<QLineEdit>(edit).text(), QStringLiteral("00"));
        }
        auto& hour = f.Get<QLineEdit>("TimeH");
        hour.selectAll();
        QTest::keyClicks(&hour, "24");
        QCOMPARE(f.dialogs.informed, std::vector<std::string>{"Input error!"});
        QCOMPARE(hour.text(), QStringLiteral("00"));
        QTest::keyClicks(&hour, "7");
        QCOMPARE(session.Recall().Hour, 7);

        auto& minute = f.Get<QLineEdit>("TimeM");
        minute.setFocus();
        QTRY_VERIFY(minute.hasFocus());
        session.EditSetText(varlo::SessionEdit::TimeM, "10");
        QCOMPARE(session.Recall().Minute, 0);
        f.Get("TimeS").setFocus();
        QTRY_COMPARE(session.Recall().Minute, 10);
    }

    // Trecord counts the sampling countdown down once a second.
    void trecordCountsTheSamplingDown() {
        WindowFixture f;
        f.Show();
        varlo::MeterSession& session = f.window->Session();
        Click(f.Get("RecordSI"));
        AddRows(session, 1);  // reloads the countdown from RecordSITime
        QCOMPARE(session.Recording().SampleCountdown, 10);
        QTRY_COMPARE_WITH_TIMEOUT(session.Recording().SampleCountdown, 9, 10000);
    }
};

VARLO_APP_TEST_MAIN(WindowHandlersTest)
#include "WindowHandlersTest.moc"
