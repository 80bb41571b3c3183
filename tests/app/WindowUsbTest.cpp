// The window's USB link over scripted HID devices: USB Connect with the
// cable, without one and without access; readings from the cable in the
// window; the watchdog's idle check; the cable pulled and another device
// plugged in during reception; hot-plug from a device script; the history
// list; the off-screen buttons and the "Info" box.

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "LinkStates.h"
#include "WindowFixture.h"
#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"
#include "hid/HidFixture.h"
#include "links/JvHidControllerClass.h"
#include "links/UsbDeviceList.h"
#include "platform/HidBackend.h"
#include "platform/HidFakeBackend.h"

using varlo::HidFakeBackend;
using varlo::app::testing::kIdleAfterUsb;
using varlo::app::testing::kUsb;
using varlo::app::testing::LinkSummary;
using varlo::app::testing::ScopedEnv;
using varlo::app::testing::WindowFixture;

namespace {

const std::string kNotConnected =
    "USB interface cable is not securely connected, please check and re-try.";
const std::string kMeterNotReady =
    "USB interface cable is securely connected, please check if the meter is ready.";

HidFakeBackend::Device Cable(HidFakeBackend::Access access = HidFakeBackend::Access::ReadWrite) {
    HidFakeBackend::Device cable = varlo::test::FakeDevice(u"USB to Serial");
    cable.access = access;
    cable.reports.feature = 6;
    return cable;
}

HidFakeBackend::Device Mouse() {
    HidFakeBackend::Device mouse;
    mouse.vendorId = 0x046D;
    mouse.productId = 0xC077;
    mouse.product = u"Optical Mouse";
    return mouse;
}

std::shared_ptr<HidFakeBackend> Devices(
    const std::map<std::string, HidFakeBackend::Device>& plugged) {
    auto fake = std::make_shared<HidFakeBackend>();
    for (const auto& [name, device] : plugged) fake->Plug(name, device);
    return fake;
}

// One reading, 1.2345 V DC, as the cable sends it: the frame's 14 bytes in
// two reports, then an idle report.
void QueueReading(HidFakeBackend& fake) {
    fake.QueueReport("cable", {0x00, 0xF7, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x3B});
    fake.QueueReport("cable", {0x00, 0xF7, 0x30, 0x30, 0x30, 0x3A, 0x30, 0x0D, 0x0A});
    fake.QueueReport("cable", {0x00, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
}

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

QStringList Lines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i) lines << list.item(i)->text();
    return lines;
}

std::uint64_t Decoded(const WindowFixture& f) {
    return f.window->Session().Decoder().DecodedCount();
}

bool Reading(WindowFixture& f) {
    varlo::TJvHidDevice* cable = f.window->Usb().SelectedDevice();
    return cable != nullptr && cable->Reader() != nullptr && !cable->Reader()->Finished();
}

}  // namespace

class WindowUsbTest : public QObject {
    Q_OBJECT

  private slots:
    // The cable is found before the window shows. USB Connect sends it the
    // feature report and reads it: the reading reaches the display, the
    // reading box, the grid and the indicator. USB Disconnect sends the
    // report again and stops reading.
    void connectReadAndDisconnect() {
        auto fake = Devices({{"cable", Cable()}});
        WindowFixture f(fake);
        auto& devices = f.Get<QListWidget>("DevListBox");
        auto& history = f.Get<QListWidget>("HistoryListBox");
        QCOMPARE(Lines(devices), QStringList{"USB to Serial"});
        QCOMPARE(devices.currentRow(), 0);
        f.Show();

        Click(f.Get("USBCon"));
        QCOMPARE(LinkSummary(f), kUsb);
        QVERIFY(f.dialogs.Informed().empty());
        const std::vector<std::uint8_t> feature{0x00, 0x00, 0x4B, 0x00, 0x00, 0x03};
        QCOMPARE(fake->FeatureReports("cable"), std::vector<std::vector<std::uint8_t>>{feature});
        QCOMPARE(Lines(history), QStringList{"00 00 4B 00 00 03 00 00 00 00 "});

        QueueReading(*fake);
        QTRY_COMPARE_WITH_TIMEOUT(Decoded(f), std::uint64_t{1}, 10000);
        QCOMPARE(f.Get<QLineEdit>("T1VALUE").text(), QStringLiteral("1.2345"));
        QCOMPARE(f.Get<QLabel>("judge").text(), QStringLiteral("Pass"));
        QCOMPARE(f.Get("LcdDd").property("text").toString(), QStringLiteral("5"));
        QCOMPARE(f.Get<varlo::app::ReadingGridView>("DBGrid1").Model().LogRowCount(),
                 std::size_t{1});
        QVERIFY(f.Get("CONok").isVisible());
        QCOMPARE(Lines(history).mid(1),
                 (QStringList{"R 00  F7 30 31 32 33 34 35 3B ", "R 00  F7 30 30 30 3A 30 0D 0A "}));
        QCOMPARE(history.currentRow(), 2);

        Click(f.Get("USBCon"));
        QCOMPARE(LinkSummary(f), kIdleAfterUsb);
        QCOMPARE(fake->FeatureReports("cable").size(), std::size_t{2});
        QVERIFY(!Reading(f));
        QVERIFY(f.dialogs.Informed().empty());
    }

    // Without a cable USB Connect says so; a cable the user may not open is
    // refused without a word. Either way the window is Idle and reads
    // nothing, nor does the Read toggle (which a cable without access
    // releases at once).
    void connectWithoutAUsableCable_data() {
        QTest::addColumn<bool>("cablePresent");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("selected");
        QTest::addColumn<std::vector<std::string>>("informed");
        QTest::addColumn<bool>("readBtnDown");
        QTest::newRow("no cable") << false << QStringList{"Optical Mouse"} << -1
                                  << std::vector<std::string>{kNotConnected} << true;
        QTest::newRow("no access") << true << QStringList{"Optical Mouse", "USB to Serial"} << 1
                                   << std::vector<std::string>{} << false;
    }

    void connectWithoutAUsableCable() {
        QFETCH(bool, cablePresent);
        QFETCH(QStringList, listed);
        QFETCH(int, selected);
        QFETCH(std::vector<std::string>, informed);
        QFETCH(bool, readBtnDown);
        auto fake = Devices({{"a-mouse", Mouse()}});
        if (cablePresent) fake->Plug("cable", Cable(HidFakeBackend::Access::QueryOnly));
        WindowFixture f(fake);
        f.Show();
        QCOMPARE(Lines(f.Get<QListWidget>("DevListBox")), listed);
        QCOMPARE(f.Get<QListWidget>("DevListBox").currentRow(), selected);
        Click(f.Get("USBCon"));
        QCOMPARE(f.dialogs.Informed(), informed);
        QCOMPARE(LinkSummary(f), kIdleAfterUsb);
        QVERIFY(!Reading(f));
        Click(f.Get("ReadBtn"));
        QCOMPARE(f.Get<QAbstractButton>("ReadBtn").isChecked(), readBtnDown);
        QVERIFY(!Reading(f));
    }

    // The watchdog's idle check, on a tick without frames: 1899 idle
    // reports leave reception running, 1900 stop it with the message, once.
    // One click on USB Connect then reads again.
    void watchdogIdleCheck() {
        auto fake = Devices({{"cable", Cable()}});
        WindowFixture f(fake);
        f.Show();
        Click(f.Get("USBCon"));
        QVERIFY(Reading(f));
        varlo::FrameAssembler& assembler = f.window->Session().Assembler();
        QSignalSpy ticks(&f.Get<QTimer>("ConTimer"), &QTimer::timeout);

        assembler.SetIdleReportCount(1899);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 3, 10000);  // a check tick among them
        QVERIFY(f.dialogs.Informed().empty());
        QCOMPARE(LinkSummary(f), kUsb);
        QVERIFY(Reading(f));

        assembler.SetIdleReportCount(1900);
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.Informed().size(), std::size_t{1}, 10000);
        QCOMPARE(f.dialogs.Informed()[0], kMeterNotReady);
        QCOMPARE(LinkSummary(f), QString(kUsb).replace("USBCon down", "USBCon up"));
        QVERIFY(!Reading(f));
        ticks.clear();
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 4, 10000);
        QCOMPARE(f.dialogs.Informed().size(), std::size_t{1});

        Click(f.Get("USBCon"));
        QCOMPARE(LinkSummary(f), kUsb);
        QVERIFY(Reading(f));
    }

    // The cable pulled during reception: the history says so, the list
    // loses it, USB Connect stays down; the next click tells the user and
    // returns to Idle.
    void cablePulledDuringReception() {
        auto fake = Devices({{"cable", Cable()}});
        WindowFixture f(fake);
        f.Show();
        Click(f.Get("USBCon"));
        QueueReading(*fake);
        QTRY_COMPARE_WITH_TIMEOUT(Decoded(f), std::uint64_t{1}, 10000);
        fake->Unplug("cable");
        fake->NotifyChange();
        // The reader's failed reads may be told around it.
        QVERIFY(Lines(f.Get<QListWidget>("HistoryListBox")).contains("Removal of USB to Serial"));
        QVERIFY(Lines(f.Get<QListWidget>("DevListBox")).isEmpty());
        QCOMPARE(LinkSummary(f), kUsb);
        Click(f.Get("USBCon"));
        QCOMPARE(f.dialogs.Informed(), std::vector<std::string>{kNotConnected});
        QCOMPARE(LinkSummary(f), kIdleAfterUsb);
    }

    // Another device plugged in during reception rebuilds the list: the
    // cable stays selected and USB Connect down, but reading stops until the
    // user clicks twice.
    void anotherDevicePluggedInDuringReception() {
        auto fake = Devices({{"cable", Cable()}});
        WindowFixture f(fake);
        f.Show();
        Click(f.Get("USBCon"));
        QVERIFY(Reading(f));
        fake->Plug("mouse", Mouse());
        fake->NotifyChange();
        QCOMPARE(Lines(f.Get<QListWidget>("HistoryListBox")).last(),
                 QStringLiteral("Arrival of Optical Mouse"));
        QCOMPARE(Lines(f.Get<QListWidget>("DevListBox")),
                 (QStringList{"USB to Serial", "Optical Mouse"}));
        QCOMPARE(f.Get<QListWidget>("DevListBox").currentRow(), 0);
        QCOMPARE(LinkSummary(f), kUsb);
        QVERIFY(!Reading(f));

        Click(f.Get("USBCon"));
        QCOMPARE(LinkSummary(f), kIdleAfterUsb);
        Click(f.Get("USBCon"));
        QCOMPARE(LinkSummary(f), kUsb);
        QueueReading(*fake);
        QTRY_COMPARE_WITH_TIMEOUT(Decoded(f), std::uint64_t{1}, 10000);
        QVERIFY(f.dialogs.Informed().empty());
    }

    // The device script that VARLO_HID_FAKE names plugs the cable in, out
    // and in again while the window runs: the history has each arrival and
    // removal in order, and the list ends with the cable selected.
    void hotPlugFromTheDeviceScript() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString script = folder.filePath("cable.txt");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "device cable vid=1A86 pid=E008 product=\"USB to Serial\" feature=6 plugged=no\n"
            "at 200 plug cable\n"
            "at 600 unplug cable\n"
            "at 1000 plug cable\n");
        file.close();
        const ScopedEnv fakeDevices("VARLO_HID_FAKE", script.toLocal8Bit());
        WindowFixture f(varlo::CreateHidBackend());
        f.Show();
        auto& history = f.Get<QListWidget>("HistoryListBox");
        QTRY_COMPARE_WITH_TIMEOUT(Lines(history).size(), 3, 10000);
        QCOMPARE(Lines(history),
                 (QStringList{"Arrival of USB to Serial", "Removal of USB to Serial",
                              "Arrival of USB to Serial"}));
        QCOMPARE(Lines(f.Get<QListWidget>("DevListBox")), QStringList{"USB to Serial"});
        QCOMPARE(f.Get<QListWidget>("DevListBox").currentRow(), 0);
        Click(f.Get("USBCon"));
        QCOMPARE(LinkSummary(f), kUsb);
    }

    // The off-screen buttons: SetFeature sends the report, Read attaches
    // the raw report handler (whose lines reach the history) and detaches
    // it again, Clear empties the history.
    void offScreenButtons() {
        auto fake = Devices({{"cable", Cable()}});
        WindowFixture f(fake);
        f.Show();
        auto& history = f.Get<QListWidget>("HistoryListBox");
        Click(f.Get("SetFeature"));
        QCOMPARE(fake->FeatureReports("cable").size(), std::size_t{1});
        QCOMPARE(Lines(history), QStringList{"00 00 4B 00 00 03 00 00 00 00 "});

        Click(f.Get("ReadBtn"));
        QVERIFY(f.Get<QAbstractButton>("ReadBtn").isChecked());
        QVERIFY(Reading(f));
        QueueReading(*fake);
        QTRY_COMPARE_WITH_TIMEOUT(history.count(), 3, 10000);
        QCOMPARE(history.item(2)->text(), QStringLiteral("R 00  F7 30 30 30 3A 30 0D 0A "));
        QTRY_COMPARE_WITH_TIMEOUT(f.window->Session().Traces().USBtxt.Text(),
                                  std::string("012345B000A0DA"), 10000);
        QCOMPARE(Decoded(f), std::uint64_t{0});  // the raw handler decodes nothing
        Click(f.Get("ReadBtn"));
        QVERIFY(!f.Get<QAbstractButton>("ReadBtn").isChecked());
        QVERIFY(!Reading(f));

        Click(f.Get("ClearBtn"));
        QCOMPARE(history.count(), 0);
        QCOMPARE(LinkSummary(f), varlo::app::testing::kIdleStart);
    }

    // The history list shows the newest 1000 lines, the newest selected:
    // lines added on top of those shown, after Clear, and more than it
    // keeps at once.
    void historyKeepsTheNewestThousandLines() {
        WindowFixture f;
        f.Show();
        varlo::LineSink& lines = f.window->Session().HistoryListBox();
        auto& history = f.Get<QListWidget>("HistoryListBox");
        auto add = [&](int from, int to) {
            for (int i = from; i < to; ++i) {
                lines.Add("line " + std::to_string(i));
                lines.SelectLast();
            }
        };
        struct Step {
            std::function<void()> change;
            int count;
            QString first, last;
        };
        const Step steps[] = {
            {[&] { add(0, 900); }, 900, "line 0", "line 899"},
            {[&] { add(900, 1200); }, 1000, "line 200", "line 1199"},
            {[&] {
                 Click(f.Get("ClearBtn"));
                 add(1200, 1202);
             },
             2, "line 1200", "line 1201"},
            {[&] { add(1202, 2702); }, 1000, "line 1702", "line 2701"},
        };
        for (const Step& step : steps) {
            step.change();
            // The watchdog's tick brings the list up to date.
            QTRY_COMPARE_WITH_TIMEOUT(Lines(history).value(history.count() - 1), step.last, 10000);
            QCOMPARE(history.count(), step.count);
            QCOMPARE(history.item(0)->text(), step.first);
            QCOMPARE(history.currentRow(), step.count - 1);
        }
    }

    // A line the user chooses in the device list is the device the links
    // use from then on.
    void aLineChosenInTheDeviceList() {
        auto fake = Devices({{"a-mouse", Mouse()}, {"cable", Cable()}});
        WindowFixture f(fake);
        f.Show();
        auto& devices = f.Get<QListWidget>("DevListBox");
        QCOMPARE(devices.currentRow(), 1);
        devices.setFocus();
        QTest::keyClick(&devices, Qt::Key_Up);
        QCOMPARE(devices.currentRow(), 0);
        QCOMPARE(f.window->Usb().DevListBox().Selected(), 0);
        Click(f.Get("InfoBtn"));
        QCOMPARE(QString::fromStdString(f.dialogs.Informed().at(0)).section('\n', 0, 0),
                 QStringLiteral("Optical Mouse"));
    }

    // "Info" shows what the window knows of the selected device, or that no
    // cable is selected; it changes nothing of the devices.
    void infoBox_data() {
        QTest::addColumn<bool>("cable");
        QTest::addColumn<bool>("access");
        QTest::addColumn<QString>("text");
        const QString cable =
            "USB to Serial\nVendor ID 1A86, product ID E008, version 0100\n"
            "Device: /fake/hid/cable\n%1\n"
            "Reports (with the report ID): input 9 bytes, output 0 bytes, feature 6 bytes.";
        QTest::newRow("cable") << true << true << cable.arg("Can be read and written.");
        QTest::newRow("cable without access")
            << true << false
            << cable.arg(
                   "Cannot be read or written (install the udev rule "
                   "70-varlo-usb-cable.rules).");
        QTest::newRow("no cable") << false << true
                                  << "No USB cable is selected: none of the 1 HID devices "
                                     "listed is \"USB to Serial\".";
    }

    void infoBox() {
        QFETCH(bool, cable);
        QFETCH(bool, access);
        QFETCH(QString, text);
        auto fake = Devices({{"a-mouse", Mouse()}});
        if (cable) {
            fake->Plug("cable", Cable(access ? HidFakeBackend::Access::ReadWrite
                                             : HidFakeBackend::Access::QueryOnly));
        }
        WindowFixture f(fake);
        f.Show();
        varlo::TJvHidDevice* selected = f.window->Usb().SelectedDevice();
        const QStringList history = Lines(f.Get<QListWidget>("HistoryListBox"));
        Click(f.Get("InfoBtn"));
        QCOMPARE(f.dialogs.Informed(), std::vector<std::string>{text.toStdString()});
        QCOMPARE(f.window->Usb().SelectedDevice(), selected);
        QCOMPARE(f.window->Usb().DevListBox().Count(), std::size_t{cable ? 2u : 1u});
        QVERIFY(fake->FeatureReports("cable").empty());
        QCOMPARE(Lines(f.Get<QListWidget>("HistoryListBox")), history);
    }
};

VARLO_APP_TEST_MAIN(WindowUsbTest)
#include "WindowUsbTest.moc"
