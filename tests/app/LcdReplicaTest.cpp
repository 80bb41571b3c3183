#include <QFile>
#include <QProgressBar>
#include <QSet>
#include <QtTest>
#include <map>

#include "LcdMeter.h"
#include "app/LcdReplica.h"

using varlo::LcdPanel;
using varlo::app::LcdReplica;
using varlo::test::LcdMeter;

namespace {

// Paint events per element, counted from the moment it is installed.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* panel) {
        for (QWidget* child : panel->findChildren<QWidget*>()) {
            child->installEventFilter(this);
        }
        panel->installEventFilter(this);
    }
    std::map<QString, int> counts;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++counts[watched->objectName()];
        }
        return false;
    }
};

QWidget* Element(const LcdReplica& replica, const QString& name) {
    return replica.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

}  // namespace

class LcdReplicaTest : public QObject {
    Q_OBJECT

  private slots:
    // Every element: its name, bounds, visibility at start and caption.
    void startsAsTheFormShowsIt() {
        LcdReplica replica;
        QCOMPARE(replica.objectName(), QString("Panel1"));
        QCOMPARE(replica.size(), QSize(334, 181));
        QCOMPARE(replica.frameShadow(), QFrame::Sunken);
        QCOMPARE(replica.palette().color(replica.backgroundRole()), QColor(Qt::white));
        QVERIFY(replica.autoFillBackground());

        const struct {
            const char* name;
            int left, top, width, height;
            bool shown;
            const char* text;
        } elements[] = {
            {"LcdFH", 5, 36, 28, 112, false, "-"},
            {"LcdD0", 40, 28, 38, 112, true, "2"},
            {"LcdDa", 88, 28, 38, 112, true, "2"},
            {"LcdDb", 136, 28, 38, 112, true, "0"},
            {"LcdDc", 184, 28, 38, 112, true, "0"},
            {"LcdDd", 232, 28, 38, 112, true, "0"},
            {"LcdP0", 79, 113, 7, 8, false, ""},
            {"LcdP1", 127, 113, 7, 8, false, ""},
            {"LcdP2", 175, 113, 7, 8, false, ""},
            {"LcdP3", 224, 113, 9, 8, false, ""},
            {"LcdAC", 6, 54, 31, 23, false, "AC"},
            {"LcdDc1", 5, 54, 32, 23, false, "DC"},
            {"LCDHold", 8, 102, 19, 39, false, "\""},
            {"LcdAuto", 56, 131, 88, 17, false, "Auto range"},
            {"LcdManu", 168, 131, 52, 17, false, "MANU"},
            {"LcdRPM", 270, 131, 39, 17, false, "RPM"},
            {"Labmax", 52, 18, 35, 19, false, "MAX"},
            {"Labmin", 92, 18, 29, 19, false, "MIN"},
            {"LCDsend", 5, 4, 36, 29, false, ""},
            {"LCDREL", 129, 10, 24, 24, false, ""},
            {"EF", 161, 9, 24, 25, false, ""},
            {"LCDFm", 192, 8, 25, 36, false, "&"},
            {"LCDDI", 184, 9, 31, 32, false, ")"},
            {"Lcdm", 232, 9, 20, 27, false, "m"},
            {"LCDn", 232, 10, 13, 27, false, "n"},
            {"LCDu", 240, 3, 16, 36, false, "+"},
            {"LCDBATT", 280, -1, 12, 39, false, "$"},
            {"LCDBT", 280, 97, 11, 39, false, "("},
            {"LCDBF", 296, 40, 19, 23, false, "%"},
            {"LCDCS", 288, 57, 18, 27, false, "#"},
            {"LCDFS", 304, 57, 17, 27, false, "?"},
            {"LCDk", 286, 76, 12, 27, false, "k"},
            {"LCDM1", 286, 81, 16, 21, false, "M"},
            {"LCDohm", 312, 81, 13, 21, false, "*"},
            {"LCDHz", 296, 98, 29, 27, false, "Hz"},
        };
        QSet<QString> named;
        for (const auto& e : elements) {
            QWidget* w = Element(replica, e.name);
            QVERIFY2(w, e.name);
            named << e.name;
            QCOMPARE(w->geometry(), QRect(e.left, e.top, e.width, e.height));
            QCOMPARE(w->isVisibleTo(&replica), e.shown);
            QCOMPARE(w->property("text").toString(), QString::fromUtf8(e.text));
        }
        // "V", "A" and "F" share one place: left 256, top 10 or 11, 15 or 16 wide.
        for (const auto& [name, text] : {std::pair{"LcdV", "V"}, {"LCDA", "A"}, {"LCDF", "F"}}) {
            QWidget* w = Element(replica, name);
            QVERIFY2(w, name);
            named << name;
            QCOMPARE(w->x(), 256);
            QVERIFY(w->y() == 10 || w->y() == 11);
            QVERIFY(w->width() == 15 || w->width() == 16);
            QCOMPARE(w->height(), 27);
            QVERIFY(!w->isVisibleTo(&replica));
            QCOMPARE(w->property("text").toString(), QString(text));
        }
        auto* bar = replica.findChild<QProgressBar*>("PBar2", Qt::FindDirectChildrenOnly);
        QVERIFY(bar);
        named << "PBar2";
        QCOMPARE(bar->geometry(), QRect(0, 164, 334, 17));
        QVERIFY(bar->isVisibleTo(&replica));
        QCOMPARE(bar->maximum(), 40);
        QCOMPARE(bar->value(), 20);

        QSet<QString> children;
        for (QWidget* w : replica.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            children << w->objectName();
        }
        QCOMPARE(children, named);
    }

    // The decoded frames of the decoder's fixture, one after the other on
    // one replica: the shown elements, digits and bar follow each frame.
    void followsDecodedFrames() {
        QFile file(VARLO_TEST_DATA "/decode/data/readings.tsv");
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        LcdMeter meter;
        LcdReplica replica;
        auto* bar = replica.findChild<QProgressBar*>("PBar2");
        const QStringList digitNames = {"LcdD0", "LcdDa", "LcdDb", "LcdDc", "LcdDd"};
        int frames = 0;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith('#')) {
                continue;
            }
            const QStringList fields = line.split('\t');
            QCOMPARE(fields.size(), 11);
            replica.ShowPanel(meter.Decode(fields[0].toStdString()));
            ++frames;

            const QStringList litNames = fields[8].split(',');
            const QSet<QString> lit(litNames.begin(), litNames.end());
            QSet<QString> shown;
            for (QWidget* w : replica.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w->isVisibleTo(&replica) && !digitNames.contains(w->objectName()) && w != bar) {
                    shown << w->objectName();
                }
            }
            QCOMPARE(shown, lit);

            const QStringList digits = fields[9].split('|');
            for (int i = 0; i < 5; ++i) {
                QWidget* w = Element(replica, digitNames[i]);
                const bool hidden = digits[i].startsWith('(');
                const QString caption = hidden ? digits[i].mid(1, digits[i].size() - 2) : digits[i];
                QVERIFY2(w->isVisibleTo(&replica) == !hidden, qPrintable(line));
                QVERIFY2(w->property("text").toString() == caption, qPrintable(line));
            }
            QCOMPARE(bar->maximum(), 22);
            QCOMPARE(bar->value(), fields[10].toInt());
        }
        QVERIFY(frames > 40);
    }

    // "AC" and "DC" share one place; lit together, "DC" stands above "AC",
    // and goes back when "AC" goes out.
    void acAndDcLitTogetherStandApart() {
        LcdMeter meter;
        LcdReplica replica;
        QWidget* ac = Element(replica, "LcdAC");
        QWidget* dc = Element(replica, "LcdDc1");
        replica.ShowPanel(meter.Decode("A112345B000C0D"));
        QVERIFY(ac->isVisibleTo(&replica) && dc->isVisibleTo(&replica));
        QCOMPARE(dc->geometry(), QRect(5, 33, 32, 23));
        QCOMPARE(ac->geometry(), QRect(6, 54, 31, 23));
        replica.ShowPanel(meter.Decode("A112345B00080D"));
        QVERIFY(!ac->isVisibleTo(&replica) && dc->isVisibleTo(&replica));
        QCOMPARE(dc->geometry(), QRect(5, 54, 32, 23));
    }

    // The bar's maximum comes from the panel (the range profile); its
    // position is kept whether the maximum grows or shrinks under it.
    void barFollowsMaximumAndPosition() {
        LcdReplica replica;
        auto* bar = replica.findChild<QProgressBar*>("PBar2");
        const struct {
            int max, position;
        } steps[] = {{40, 30}, {22, 22}, {22, 1}, {60, 45}, {20, 20}, {20, 0}};
        for (const auto& step : steps) {
            LcdPanel panel;
            panel.SetBarMax(step.max);
            panel.SetBarPosition(step.position);
            replica.ShowPanel(panel);
            QCOMPARE(bar->maximum(), step.max);
            QCOMPARE(bar->value(), step.position);
        }
    }

    // A new bar position is painted with the window's next paint, not at
    // once: the frames of one read cost one paint of the bar, whichever
    // positions they pass through.
    void barPaintsWithTheRestOfTheDisplay() {
        LcdReplica replica;
        replica.show();
        QVERIFY(QTest::qWaitForWindowExposed(&replica));
        QCoreApplication::processEvents();
        auto* bar = replica.findChild<QProgressBar*>("PBar2");
        PaintCounter painted(&replica);
        for (int position : {5, 9, 14}) {
            LcdPanel panel;
            panel.SetBarMax(22);
            panel.SetBarPosition(position);
            replica.ShowPanel(panel);
            QCOMPARE(painted.counts["PBar2"], 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(painted.counts["PBar2"], 1, 10000);
        QCOMPARE(bar->value(), 14);
    }

    // A frame that shows what is already shown repaints nothing; a change of
    // one digit repaints only what lies under that digit.
    void repaintsOnlyWhatChanged() {
        LcdMeter meter;
        LcdReplica replica;
        replica.show();
        QVERIFY(QTest::qWaitForWindowExposed(&replica));
        PaintCounter painted(&replica);
        replica.ShowPanel(meter.Decode("A112345B00080D"));
        QTRY_VERIFY_WITH_TIMEOUT(painted.counts["LcdDd"] > 0, 10000);
        QCoreApplication::processEvents();
        painted.counts.clear();

        replica.ShowPanel(meter.Decode("A112345B00080D"));
        QCoreApplication::processEvents();
        QCOMPARE(painted.counts, (std::map<QString, int>{}));

        replica.ShowPanel(meter.Decode("A112346B00080D"));
        QTRY_VERIFY_WITH_TIMEOUT(painted.counts["LcdDd"] > 0, 10000);
        const QRect changed = Element(replica, "LcdDd")->geometry();
        for (QWidget* w : replica.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->geometry().intersects(changed)) {
                QVERIFY2(painted.counts[w->objectName()] == 0, qPrintable(w->objectName()));
            }
        }
    }
};

QTEST_MAIN(LcdReplicaTest)
#include "LcdReplicaTest.moc"
