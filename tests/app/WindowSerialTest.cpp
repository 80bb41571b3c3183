// The window's serial link as the user meets it: the simulated meter on a
// pseudo-terminal named as COM1, "COM Connect", the readings in every view,
// the link indicator, disconnecting, the port panels and menu, and the ports
// that cannot be opened.

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <stdexcept>

#include "../links/PseudoTerminal.h"
#include "LinkStates.h"
#include "WindowFixture.h"
#include "app/ConnectionView.h"
#include "app/Controls.h"
#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"
#include "platform/LinuxSerialPort.h"

using varlo::app::testing::AreaPoints;
using varlo::app::testing::kIdleAfterSerial;
using varlo::app::testing::kIdleStart;
using varlo::app::testing::kSerial;
using varlo::app::testing::LinkSummary;
using varlo::app::testing::ScopedEnv;
using varlo::app::testing::WindowFixture;

namespace {

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

// varlo-cli sim on a pseudo-terminal of its own, which it names on its first
// line; ended when the test is.
class Simulator {
  public:
    explicit Simulator(const QStringList& arguments) {
        process_.setProgram(QStringLiteral(VARLO_BIN_DIR "/tools/varlo-cli/varlo-cli"));
        process_.setArguments(QStringList{"sim"} + arguments);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        QElapsedTimer waited;
        waited.start();
        while (!process_.canReadLine() && waited.elapsed() < 20000) process_.waitForReadyRead(100);
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        if (!path_.startsWith("/dev/")) {
            throw std::runtime_error("the simulator named no terminal: " +
                                     process_.readAllStandardError().toStdString());
        }
    }
    ~Simulator() {
        process_.terminate();
        process_.waitForFinished(10000);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const QString& Path() const { return path_; }

  private:
    QProcess process_;
    QString path_;
};

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

}  // namespace

class WindowSerialTest : public QObject {
    Q_OBJECT

  private slots:
    // The main path: the simulated meter sends six readings at ten a second;
    // "COM Connect" on COM1 brings each into the display, the reading box,
    // the judgement, the grid and the chart. The indicator lights with the
    // frames and goes dark on the third watchdog tick after the last one,
    // 600 to 900 ms later. Pressing "COM Connect" again disconnects.
    void readingsFromTheSimulatedMeter() {
        Simulator sim({"--scenario", "steady", "--count", "6", "--rate", "10"});
        const ScopedEnv com1("VARLO_COM1", sim.Path().toLocal8Bit());
        WindowFixture f;
        f.Show();
        const varlo::MeterSession& session = f.window->Session();
        QCOMPARE(f.Get("BtCOM1").toolTip(), "COM1: " + sim.Path());
        QCOMPARE(LinkSummary(f), kIdleStart);
        auto& conTimer = f.Get<QTimer>("ConTimer");
        QCOMPARE(conTimer.interval(), 300);
        QVERIFY(conTimer.isActive());
        struct Tick {
            std::uint64_t decoded;
            bool lit;
        };
        std::vector<Tick> ticks;
        connect(&conTimer, &QTimer::timeout, &conTimer, [&] {
            ticks.push_back({session.Decoder().DecodedCount(), f.Get("CONok").isVisible()});
        });

        Click(f.Get("COMCon"));
        QCOMPARE(LinkSummary(f), kSerial);
        QVERIFY(f.dialogs.informed.empty());
        QTRY_VERIFY_WITH_TIMEOUT(f.Get("CONok").isVisible(), 20000);
        QVERIFY(!f.Get("CONokN").isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(session.Decoder().DecodedCount(), std::uint64_t{6}, 20000);

        const char* digits[] = {"LcdD0", "LcdDa", "LcdDb", "LcdDc", "LcdDd"};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(f.Get(digits[i]).property("text").toString(), QString::number(i + 1));
        }
        for (const char* lit : {"LcdP0", "LcdDc1", "LcdAuto", "LcdV"}) {
            QVERIFY2(f.Get(lit).isVisible(), lit);
        }
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").text(), QStringLiteral("1.2345"));
        QCOMPARE(f.Get<QLabel>("judge").text(), QStringLiteral("Pass"));
        const auto& rows = f.Get<varlo::app::ReadingGridView>("DBGrid1").Model();
        QCOMPARE(rows.LogRowCount(), std::size_t{6});
        const int newest = rows.RowOf(5);
        QCOMPARE(Cell(rows, newest, 0), QStringLiteral("6"));
        QCOMPARE(Cell(rows, newest, 3), QStringLiteral("1.2345"));
        QCOMPARE(Cell(rows, newest, 5), QStringLiteral("Pass"));
        QCOMPARE(session.ChartModel().PointCount(0), 6);
        QCOMPARE(AreaPoints(f.Get("Chtshow")).last(), QPointF(5, 1.2345));

        QTRY_VERIFY_WITH_TIMEOUT(!f.Get("CONok").isVisible(), 20000);
        QVERIFY(f.Get("CONokN").isVisible());
        // Dark on the third tick after the last frame: with ticks 300 ms
        // apart, 600 to 900 ms after it.
        std::size_t after = 0;  // the first tick after the last frame
        while (after < ticks.size() && ticks[after].decoded < 6) ++after;
        QVERIFY(after + 2 < ticks.size());
        QVERIFY(ticks[after].lit && ticks[after + 1].lit);
        QVERIFY(!ticks[after + 2].lit);

        // Disconnected; LCDsend stays as the last frame left it.
        Click(f.Get("COMCon"));
        QCOMPARE(LinkSummary(f), kIdleAfterSerial + " | LCDsend");
        QVERIFY(f.dialogs.informed.empty());
    }

    // START and STOP in the hidden menu, and the panels "Connect" and
    // "Disconnect", open and close the link; they leave USB Connect as it is.
    void startStopAndTheConnectPanels() {
        varlo::testing::PseudoTerminal meter;
        const ScopedEnv com1("VARLO_COM1", QByteArray::fromStdString(meter.Path()));
        WindowFixture f;
        f.Show();
        const QString serialWithUsbCon =
            QString(kSerial).replace("USBCon hidden", "USBCon up USB Connect");
        f.Get<QAction>("START1").trigger();
        QCOMPARE(LinkSummary(f), serialWithUsbCon);
        f.Get<QAction>("STOP1").trigger();
        QCOMPARE(LinkSummary(f), kIdleAfterSerial);
        emit f.Get<varlo::app::ClickPanel>("BTCon").clicked();
        QCOMPARE(LinkSummary(f), serialWithUsbCon);
        emit f.Get<varlo::app::ClickPanel>("BtDiscon").clicked();
        QCOMPARE(LinkSummary(f), kIdleAfterSerial);
        // The link is really open in between: a frame reaches the display.
        Click(f.Get("COMCon"));
        meter.Write(
            {0x0A, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30, 0x3B, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D});
        QTRY_COMPARE_WITH_TIMEOUT(f.window->Session().Decoder().DecodedCount(), std::uint64_t{1},
                                  10000);
        QVERIFY(f.dialogs.informed.empty());
    }

    // Four clicks on the port panel seen come back to COM1, the menu's mark
    // and the panel following each; the menu chooses a port as well. Each
    // panel's hint names the device of its port, or says it is not there.
    void portPanelsAndMenu() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        varlo::testing::PseudoTerminal second;
        const ScopedEnv com2("VARLO_COM2", QByteArray::fromStdString(second.Path()));
        const QString missing = folder.filePath("ttyUSB9");
        const ScopedEnv com3("VARLO_COM3", missing.toLocal8Bit());
        WindowFixture f;
        f.Show();
        QCOMPARE(f.Get("BtCOM2").toolTip(), "COM2: " + QString::fromStdString(second.Path()));
        QCOMPARE(f.Get("BtCOM3").toolTip(), "COM3: " + missing + " is not present");
        for (const QString panels : {"-2--", "--3-", "---4", "1---"}) {
            QWidget* seen = nullptr;
            for (int i = 4; i >= 1 && seen == nullptr; --i) {
                QWidget& panel = f.Get(QStringLiteral("BtCOM%1").arg(i).toUtf8().constData());
                if (panel.isVisible()) seen = &panel;
            }
            QVERIFY(seen != nullptr);
            Click(*seen);
            const int port = panels.indexOf(QRegularExpression("[1-4]")) + 1;
            QCOMPARE(LinkSummary(f),
                     QString(kIdleStart)
                         .replace("panels 1---", "panels " + panels)
                         .replace("| COM1 |", QStringLiteral("| COM%1 |").arg(port)));
        }
        f.Get<QAction>("COM31").trigger();
        QCOMPARE(LinkSummary(f),
                 QString(kIdleStart).replace("1---", "--3-").replace("| COM1 |", "| COM3 |"));
        // The device behind COM3 has come meanwhile: the hint says so once
        // the port is chosen again.
        QFile device(missing);
        QVERIFY(device.open(QIODevice::WriteOnly));
        f.Get<QAction>("COM21").trigger();
        QCOMPARE(f.Get("BtCOM3").toolTip(), "COM3: " + missing);
        QCOMPARE(varlo::app::PortPanelHint("COM4", std::nullopt),
                 std::string("COM4: no serial device is present"));
    }

    // A port whose device is missing, and one that refuses access, each give
    // the message naming the port, its device and the reason; the window is
    // Idle, as it shows while the message is up.
    void portsThatCannotBeOpened_data() {
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << false << "no such device";
        QTest::newRow("no access") << true
                                   << "permission denied; serial ports belong to the dialout "
                                      "group (sudo usermod -aG dialout $USER, then log in again)";
    }

    void portsThatCannotBeOpened() {
        QFETCH(bool, refuse);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        varlo::testing::PseudoTerminal meter;
        const QString device =
            refuse ? QString::fromStdString(meter.Path()) : folder.filePath("ttyUSB0");
        const ScopedEnv com1("VARLO_COM1", device.toLocal8Bit());
        WindowFixture f;
        f.Show();
        if (refuse) f.window->Ports().InjectOpenFailure(EACCES);
        QString shownWithTheMessage;
        f.dialogs.onInform = [&](const std::string&) { shownWithTheMessage = LinkSummary(f); };
        Click(f.Get("COMCon"));
        QCOMPARE(f.dialogs.informed, std::vector<std::string>{("The serial port COM1 (" + device +
                                                               ") cannot be opened: " + reason)
                                                                  .toStdString()});
        QCOMPARE(shownWithTheMessage, kIdleStart);
        QCOMPARE(LinkSummary(f), kIdleStart);
    }
};

VARLO_APP_TEST_MAIN(WindowSerialTest)
#include "WindowSerialTest.moc"
