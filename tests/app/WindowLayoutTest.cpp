// The main window as it starts: every control of the layout at its place
// with its caption, hint and state, the menus, and the window's frame.

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyleOptionButton>
#include <QSysInfo>
#include <QTimer>
#include <climits>

#include "WindowFixture.h"
#include "app/Controls.h"
#include "app/WindowLayout.h"

using varlo::app::testing::WindowFixture;

namespace {

constexpr int kAny = INT_MIN;  // a bound the layout does not fix

// The window's controls as the layout describes them: kind, the bounds it
// gives (kAny where it leaves them open), caption or text at start, hint
// (null: the port panels', which name the port's device), visibility and
// check mark (-1: not a check box). Texts are after start-up, which writes
// MaxText and MinText.
struct Expected {
    const char* name;
    const char* kind;
    int left, top, width, height;
    const char* text;  // null: the control shows no text
    const char* hint;
    bool visible;
    int checked;
};

const char* const kContinueHint =
    "If the choice consecution  record data, shift gear then can't clearance data.When the "
    "function file replace, would the data of the clearance record.Thanks!";

const Expected kExpected[] = {
    {"Panel6", "QFrame", 5, -4, 707, 34, nullptr, "", true, -1},
    {"BtCOM1", "varlo::app::ClickPanel", kAny, kAny, kAny, kAny, "COM 1", nullptr, true, -1},
    {"BtCOM2", "varlo::app::ClickPanel", kAny, kAny, kAny, kAny, "COM 2", nullptr, false, -1},
    {"BtCOM3", "varlo::app::ClickPanel", kAny, kAny, kAny, kAny, "COM 3", nullptr, false, -1},
    {"BtCOM4", "varlo::app::ClickPanel", kAny, kAny, kAny, kAny, "COM 4", nullptr, false, -1},
    {"COMCon", "QPushButton", kAny, kAny, kAny, kAny, "COM Connect", "", true, 0},
    {"USBCon", "QPushButton", kAny, kAny, kAny, kAny, "USB Connect", "USB Connect", true, 0},
    {"BitBtn1", "QPushButton", kAny, kAny, kAny, kAny, "Quit", "", true, -1},
    {"Panel1", "QWidget", 3, 28, 334, 181, nullptr, "", true, -1},
    {"Panel4", "QFrame", 340, 30, 371, 132, nullptr, "", true, -1},
    {"T1_HI", "QLabel", kAny, kAny, kAny, kAny, "Set Hi Limit:", "", true, -1},
    {"T1HI", "QLineEdit", kAny, kAny, kAny, kAny, "22000", "Can't for empty", true, -1},
    {"T1_Value", "QLabel", kAny, kAny, kAny, kAny, "Measure Value:", "", true, -1},
    {"T1VALUE", "QLineEdit", kAny, kAny, kAny, kAny, "0", "", true, -1},
    {"T1_LO", "QLabel", kAny, kAny, kAny, kAny, "Set Low Limit:", "", true, -1},
    {"T1LO", "QLineEdit", kAny, kAny, kAny, kAny, "-22000", "Can't for empty", true, -1},
    {"Shape1", "varlo::app::CircleShape", kAny, kAny, kAny, kAny, nullptr, "", true, -1},
    {"judge", "QLabel", kAny, kAny, kAny, kAny, "", "", true, -1},
    {"CONokN", "varlo::app::PictureBox", kAny, kAny, kAny, kAny, nullptr, "", true, -1},
    {"CONok", "varlo::app::PictureBox", kAny, kAny, kAny, kAny, nullptr, "", false, -1},
    {"Panel5", "QFrame", 341, 166, 372, 38, nullptr, "", true, -1},
    {"BtFill", "QCheckBox", kAny, kAny, kAny, kAny, "Fill", "Graphic Fill", true, 1},
    {"Maxrecord", "QLineEdit", kAny, kAny, kAny, kAny, "100", "", true, -1},
    {"BtSave", "QToolButton", kAny, kAny, kAny, kAny, "", "Save", true, -1},
    {"BtFirst", "QToolButton", kAny, kAny, kAny, kAny, "", "First", true, -1},
    {"BTPrevious", "QToolButton", kAny, kAny, kAny, kAny, "", "Previous", true, -1},
    {"Bt10", "QToolButton", kAny, kAny, kAny, kAny, "1", "Page No.", true, -1},
    {"BtNext", "QToolButton", kAny, kAny, kAny, kAny, "", "Next", true, -1},
    {"BTlast", "QToolButton", kAny, kAny, kAny, kAny, "", "last", true, -1},
    {"TbFd", "varlo::app::PictureBox", kAny, kAny, kAny, kAny, nullptr, "Graphic Enlarge", true,
     -1},
    {"TbSx", "varlo::app::PictureBox", kAny, kAny, kAny, kAny, nullptr, "Graphic Restore", false,
     -1},
    {"Chtshow", "QWidget", 336, 204, 376, 269, nullptr, "", true, -1},
    {"ComboBox1", "QComboBox", 176, 59, 65, kAny, nullptr, "", false, -1},
    {"RepeatSet", "QCheckBox", 1, 210, kAny, kAny, "Repeat", "Repeage Record", true, 1},
    {"RecordSI", "QCheckBox", 55, 210, 143, kAny, "Sampling Interval           'S", "", true, 0},
    {"RecordSITime", "QLineEdit", 157, 210, 27, kAny, "10", "", true, -1},
    {"RecordNew", "QToolButton", 246, 210, kAny, kAny, "", "Close Data", true, -1},
    {"OpenDataFiles", "QToolButton", 268, 210, kAny, kAny, "", "Open old data files", true, -1},
    {"saveas", "QToolButton", 290, 210, kAny, kAny, "", "Save data files", true, -1},
    {"BtPrint", "QToolButton", 312, 210, kAny, kAny, "", "Print", true, -1},
    {"DBGrid1", "QWidget", 1, 232, 334, 241, nullptr, "", true, -1},
    {"Panel2", "QFrame", kAny, 519, kAny, kAny, nullptr, "", true, -1},
    {"RecallCheck", "QCheckBox", kAny, kAny, kAny, kAny, "RecallData", "Repeage Record", true, 0},
    {"Label2", "QLabel", kAny, kAny, kAny, kAny, "StartTime:", "", true, -1},
    {"Label3", "QLabel", kAny, kAny, kAny, kAny, ":", "", true, -1},
    {"Label4", "QLabel", kAny, kAny, kAny, kAny, ":", "", true, -1},
    {"Label1", "QLabel", kAny, kAny, kAny, kAny, "Interval", "", true, -1},
    {"Label5", "QLabel", kAny, kAny, kAny, kAny, "'S", "", true, -1},
    {"TimeH", "QLineEdit", kAny, kAny, kAny, kAny, "23", "", true, -1},
    {"TimeM", "QLineEdit", kAny, kAny, kAny, kAny, "59", "", true, -1},
    {"TimeS", "QLineEdit", kAny, kAny, kAny, kAny, "59", "", true, -1},
    {"TimeInt", "QLineEdit", kAny, kAny, kAny, kAny, "1", "", true, -1},
    {"BTCon", "varlo::app::ClickPanel", kAny, 511, kAny, kAny, "Connect", "", true, -1},
    {"BtDiscon", "varlo::app::ClickPanel", kAny, 511, kAny, kAny, "Disconnect", "", false, -1},
    {"BtExit", "varlo::app::ClickPanel", kAny, 511, kAny, kAny, "Exit", "", true, -1},
    {"SetMaxB", "QCheckBox", kAny, kAny, kAny, kAny, "SetMax:", "", true, 0},
    {"Setmax", "QLineEdit", kAny, kAny, kAny, kAny, "22000", "", true, -1},
    {"SetMinB", "QCheckBox", kAny, kAny, kAny, kAny, "SetMin: ", "", true, 0},
    {"SetMin", "QLineEdit", kAny, kAny, kAny, kAny, "-22000", "", true, -1},
    {"multirange", "QCheckBox", kAny, kAny, kAny, kAny, "Continue Record", kContinueHint, true, 1},
    {"BtNew", "QToolButton", kAny, kAny, kAny, kAny, "", "New", true, -1},
    {"ReadBtn", "QPushButton", kAny, kAny, kAny, kAny, "Read", "", true, 0},
    {"ClearBtn", "QPushButton", kAny, kAny, kAny, kAny, "Clear", "", true, -1},
    {"InfoBtn", "QPushButton", kAny, kAny, kAny, kAny, "Info", "", true, -1},
    {"SetFeature", "QPushButton", kAny, kAny, kAny, kAny, "SetFeature", "", true, -1},
    {"DevListBox", "QListWidget", kAny, kAny, kAny, kAny, nullptr, "", true, -1},
    {"HistoryListBox", "QListWidget", kAny, kAny, kAny, kAny, nullptr, "", true, -1},
    {"Memo1", "QPlainTextEdit", kAny, kAny, kAny, kAny, "Memo1", "", true, -1},
    {"Memo2", "QPlainTextEdit", kAny, kAny, kAny, kAny, "Memo2", "", true, -1},
    {"IFKESTO", "QCheckBox", kAny, kAny, kAny, kAny, nullptr, "", true, 1},
    {"IFMIRELL", "QCheckBox", kAny, kAny, kAny, kAny, nullptr, "", false, 0},
    {"Panel3", "QFrame", kAny, 472, kAny, kAny, nullptr, "", false, -1},
    {"MaxText", "QLabel", kAny, kAny, kAny, kAny, "-22001", "", false, -1},
    {"MaxTextU", "QLabel", kAny, kAny, kAny, kAny, "*", "", false, -1},
    {"MinText", "QLabel", kAny, kAny, kAny, kAny, "22001", "", false, -1},
    {"MinTextU", "QLabel", kAny, kAny, kAny, kAny, "*", "", false, -1},
    {"USBtxt", "QLabel", kAny, kAny, kAny, kAny, "6001", "", false, -1},
};

// Controls that the layout lays over each other.
bool Stacked(const QString& a, const QString& b) {
    static const QStringList groups[] = {
        {"BtCOM1", "BtCOM2", "BtCOM3", "BtCOM4"},
        {"CONok", "CONokN"},
        {"TbFd", "TbSx"},
        {"Shape1", "judge"},
        {"RecordSI", "RecordSITime"},
        {"BTCon", "BtDiscon"},
        // The layout's own bounds: the top bar reaches 2 pixels over the display,
        // the display 1 pixel over the chart.
        {"Panel6", "Panel1"},
        {"Panel1", "Chtshow"},
    };
    for (const QStringList& group : groups) {
        if (group.contains(a) && group.contains(b)) return true;
    }
    return false;
}

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void controlsAsTheLayoutGivesThem_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < static_cast<int>(std::size(kExpected)); ++i) {
            QTest::newRow(kExpected[i].name) << i;
        }
    }

    void controlsAsTheLayoutGivesThem() {
        QFETCH(int, index);
        const Expected& want = kExpected[index];
        WindowFixture f;
        f.Show();
        QWidget& widget = f.Get(want.name);
        QVERIFY2(widget.inherits(want.kind), widget.metaObject()->className());
        const QRect bounds = widget.geometry();
        if (want.left != kAny) QCOMPARE(bounds.left(), want.left);
        if (want.top != kAny) QCOMPARE(bounds.top(), want.top);
        if (want.width != kAny) QCOMPARE(bounds.width(), want.width);
        if (want.height != kAny) QCOMPARE(bounds.height(), want.height);
        if (want.text != nullptr) {
            QCOMPARE(widget.property("text").toString(), QString::fromUtf8(want.text));
        }
        if (want.hint != nullptr) QCOMPARE(widget.toolTip(), QString::fromUtf8(want.hint));
        QCOMPARE(widget.isVisibleTo(f.window.get()), want.visible);
        if (want.checked >= 0) {
            auto* button = qobject_cast<QAbstractButton*>(&widget);
            QVERIFY(button != nullptr && button->isCheckable());
            QCOMPARE(button->isChecked(), want.checked == 1);
        }
    }

    // Every row of the layout table is built as a widget of its name at its
    // bounds in its container, with its text.
    void widgetsFollowTheTable() {
        WindowFixture f;
        const QWidget* client = f.window->centralWidget();
        const QStringList moved = {"BTCon", "BtDiscon", "BtExit", "MaxText", "MinText"};
        for (const varlo::app::ControlRow& row : varlo::app::WindowControls()) {
            const QString name = QString::fromUtf8(row.name.data(), row.name.size());
            QWidget& widget = f.Get(name.toUtf8().constData());
            const QString parent = QString::fromUtf8(row.parent.data(), row.parent.size());
            QCOMPARE(widget.parentWidget()->objectName(),
                     parent.isEmpty() ? client->objectName() : parent);
            if (moved.contains(name)) continue;
            QCOMPARE(widget.geometry(),
                     QRect(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height));
            if (row.kind == varlo::app::ControlKind::ComboBox) continue;
            const QVariant text = widget.property("text");
            if (text.isValid()) {
                QCOMPARE(text.toString(), QString::fromUtf8(row.text.data(), row.text.size()));
            }
        }
    }

    // What shows in the client area stays inside its container, lies apart
    // from its neighbours unless stacked on purpose, and has room for its
    // caption in the window's fonts.
    void visibleControlsFitAndLieApart() {
        WindowFixture f;
        f.Show();
        const QWidget* client = f.window->centralWidget();
        QList<QWidget*> shown;
        for (QWidget* widget : client->findChildren<QWidget*>()) {
            if (widget->objectName().isEmpty() || !widget->isVisible()) continue;
            const QRect onClient(widget->mapTo(client, QPoint(0, 0)), widget->size());
            if (!client->rect().intersects(onClient)) continue;  // outside the visible area
            shown << widget;
            const QWidget* container = widget->parentWidget();
            if (container != client && widget->objectName() != "ComboBox1") {
                QVERIFY2(container->rect().contains(widget->geometry()),
                         qPrintable(widget->objectName()));
            }
            if (widget->objectName() != "Panel6") {
                QVERIFY2(client->rect().contains(onClient), qPrintable(widget->objectName()));
            }
            const QString text = widget->property("text").toString();
            if (text.isEmpty() || widget->objectName() == "RecordSI") continue;
            int room = widget->contentsRect().width();
            if (auto* box = qobject_cast<QCheckBox*>(widget)) {
                QStyleOptionButton option;
                option.initFrom(box);
                room =
                    box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
            } else if (qobject_cast<QAbstractButton*>(widget)) {
                room -= 8;  // the button's bevel
            }
            QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= room,
                     qPrintable(widget->objectName() + " " + text));
        }
        QVERIFY(shown.size() > 30);
        for (QWidget* a : shown) {
            for (QWidget* b : shown) {
                if (a >= b || a->parentWidget() != b->parentWidget()) continue;
                if (Stacked(a->objectName(), b->objectName())) continue;
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " overlaps " + b->objectName()));
            }
        }
    }

    // The interval edit lies over the run of blanks of "Sampling Interval
    // 'S": the caption's head ends before it and its tail starts after it.
    void samplingCaptionReadsAroundTheEdit() {
        WindowFixture f;
        f.Show();
        auto& box = f.Get<varlo::app::CheckBox>("RecordSI");
        const QWidget& edit = f.Get("RecordSITime");
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect contents =
            box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box);
        const int headRight =
            box.x() + contents.x() + box.fontMetrics().horizontalAdvance(box.Head());
        QCOMPARE(box.Head(), QStringLiteral("Sampling Interval"));
        QCOMPARE(box.Tail(), QStringLiteral("'S"));
        QVERIFY(headRight < edit.x());
        const int tailLeft = box.x() + box.TailLeft();
        QVERIFY(tailLeft >= edit.x() + edit.width());
        QVERIFY(tailLeft + box.fontMetrics().horizontalAdvance(box.Tail()) <=
                box.x() + box.width());
    }

    void menus() {
        WindowFixture f;
        QStringList visibleMenus;
        for (QAction* action : f.window->menuBar()->actions()) {
            if (action->isVisible()) visibleMenus << action->text();
        }
        QCOMPARE(visibleMenus, QStringList{"Record"});

        struct Item {
            const char* menu;
            const char* name;
            const char* caption;  // "-" for a separator
            bool checked;
            bool enabled;
        };
        const Item items[] = {
            {"ComSetup1", "COM11", "COM1", true, true},
            {"ComSetup1", "COM21", "COM2", false, true},
            {"ComSetup1", "COM31", "COM3", false, true},
            {"ComSetup1", "COM41", "COM4", false, true},
            {"Connect1", "START1", "START", false, true},
            {"Connect1", "STOP1", "STOP", false, false},
            {"Graphic", "First", "First", false, true},
            {"Graphic", "Previous", "Previous", false, true},
            {"Graphic", "Next", "Next", false, true},
            {"Graphic", "Last", "Last", false, true},
            {"Graphic", "N1", "-", false, true},
            {"Graphic", "New", "New", false, true},
            {"Graphic", "Save", "Save", false, true},
            {"Graphic", "N2", "-", false, true},
            {"Graphic", "Fill", "Fill", true, true},
            {"Record1", "New1", "New", false, true},
            {"Record1", "Save1", "Save", false, true},
            {"Record1", "N3", "-", false, true},
            {"Record1", "N10001", "1000", false, true},
            {"Record1", "N50001", "5000", false, true},
            {"Record1", "N100001", "10000", true, true},
            {"Record1", "N500001", "50000", false, true},
            {"Record1", "N1000001", "100000", false, true},
            {"Record1", "limitess", "limitless", false, true},
        };
        const QMap<QString, QString> menuCaptions = {{"ComSetup1", "ComSetup"},
                                                     {"Connect1", "Connect"},
                                                     {"Graphic", "Graphic"},
                                                     {"Record1", "Record"}};
        for (const auto& [name, caption] : menuCaptions.asKeyValueRange()) {
            auto& menu = f.Get<QMenu>(name.toUtf8().constData());
            QCOMPARE(menu.title(), caption);
            QCOMPARE(menu.menuAction()->isVisible(), name == "Record1");
        }
        QMap<QString, int> seen;
        for (const Item& item : items) {
            auto& menu = f.Get<QMenu>(item.menu);
            QAction* action = menu.actions().value(seen[item.menu]++);
            QVERIFY2(action != nullptr, item.name);
            QCOMPARE(action->objectName(), QString::fromUtf8(item.name));
            if (QString(item.caption) == "-") {
                QVERIFY(action->isSeparator());
                continue;
            }
            QCOMPARE(action->text(), QString::fromUtf8(item.caption));
            QCOMPARE(action->isChecked(), item.checked);
            QCOMPARE(action->isEnabled(), item.enabled);
        }
        for (const auto& [menu, count] : seen.asKeyValueRange()) {
            QCOMPARE(f.Get<QMenu>(menu.toUtf8().constData()).actions().size(), count);
        }
    }

    void windowFrameAndCaption() {
        WindowFixture f;
        const QString suffix = QSysInfo::currentCpuArchitecture() == "x86_64" ? "(x64)" : "(x86)";
        QCOMPARE(f.window->windowTitle(), "VARLO Interface Program Ver 4.01" + suffix);
        f.Show();
        QCOMPARE(f.window->centralWidget()->size(), QSize(714, 477));
        QCOMPARE(f.window->minimumSize(), f.window->maximumSize());
        const Qt::WindowFlags flags = f.window->windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        const QPoint centre = f.window->screen()->availableGeometry().center();
        QVERIFY((f.window->frameGeometry().center() - centre).manhattanLength() <= 2);
        auto& trecord = f.Get<QTimer>("Trecord");
        QCOMPARE(trecord.interval(), 1000);
        QVERIFY(trecord.isActive());
    }

    // The panels that lie below the client area follow the window's outer
    // width once it has its size.
    void formResizeMovesTheLinkPanels() {
        WindowFixture f;
        f.Show();
        const int outerWidth = varlo::app::TFCOMM::OuterSize().width();
        QCOMPARE(f.Get("BtExit").x(), outerWidth - 80);
        QCOMPARE(f.Get("BTCon").x(), outerWidth - 190);
        QCOMPARE(f.Get("BtDiscon").x(), outerWidth - 190);
    }

    // Tab from the grid goes on to the controls outside the visible area,
    // Setmax among them.
    void tabFromTheGridReachesSetmax() {
        WindowFixture f;
        f.Show();
        f.window->activateWindow();
        QWidget& grid = f.Get("DBGrid1");
        grid.setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(grid.hasFocus());
        const QRect client = f.window->centralWidget()->rect();
        QStringList passed;
        for (int i = 0; i < 10 && QApplication::focusWidget() != &f.Get("Setmax"); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            QVERIFY(now != nullptr);
            passed << now->objectName();
            const QRect onClient(now->mapTo(f.window->centralWidget(), QPoint(0, 0)), now->size());
            QVERIFY2(!client.intersects(onClient), qPrintable(now->objectName()));
        }
        QCOMPARE(passed.last(), QStringLiteral("Setmax"));
        QVERIFY2(passed.size() <= 3, qPrintable(passed.join(' ')));
    }
};

VARLO_APP_TEST_MAIN(WindowLayoutTest)
#include "WindowLayoutTest.moc"
