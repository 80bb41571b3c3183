// The window's connection controls without the window: serial on a real
// pseudo-terminal, USB on the fake HID backend.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "decode/DecodeFixture.h"
#include "hid/HidFixture.h"
#include "links/Connection.h"
#include "platform/LinuxSerialPort.h"
#include "support/RecordingDialogs.h"

namespace varlo {

void PrintTo(const ConnectionControls& c, std::ostream* os) {
    auto flags = [&](const char* name, const std::array<bool, 4>& a) {
        *os << name << "=" << a[0] << a[1] << a[2] << a[3] << " ";
    };
    *os << "COMCon down=" << c.COMConDown << " visible=" << c.COMConVisible
        << " | USBCon down=" << c.USBConDown << " visible=" << c.USBConVisible << " \""
        << c.USBConCaption << "\" | ";
    flags("BtCOMVisible", c.BtCOMVisible);
    flags("BtCOMEnabled", c.BtCOMEnabled);
    flags("COMChecked", c.COMChecked);
    *os << "ComSetup1=" << c.ComSetup1Enabled << " START1 checked=" << c.START1Checked
        << " enabled=" << c.START1Enabled << " STOP1 checked=" << c.STOP1Checked
        << " enabled=" << c.STOP1Enabled << " BTCon=" << c.BTConVisible
        << " BtDiscon=" << c.BtDisconVisible;
}

namespace test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const char* const kNotConnected =
    "USB interface cable is not securely connected, please check and re-try.";
const char* const kMeterNotReady =
    "USB interface cable is securely connected, please check if the meter is ready.";

// One clean frame on the serial line: the line feed ending the frame before,
// 12 data bytes, the carriage return.
const Bytes kSerialFrame = {0x0A, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30,
                            0x3B, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D};
// The same frame as the USB cable sends it: two reports with its first seven
// bytes, two with the rest, then an idle report.
const std::vector<Bytes> kHeadReports = {{0x00, 0xF2, 0x31, 0x30},
                                         {0x00, 0xF5, 0x30, 0x30, 0x30, 0x30, 0x3B}};
const std::vector<Bytes> kTailReports = {{0x00, 0xF5, 0x30, 0x30, 0x30, 0x38, 0x30},
                                         {0x00, 0xF2, 0x0D, 0x0A}};
const Bytes kIdleReport = {0x00, 0xF0, 0x00};

// The window's parts below it: COMM2 on COM1, a pseudo-terminal behind it,
// the USB device list over the fake backend with one cable, the assembler
// and decoder, and the connection, its watchdog ticked by hand.
struct Rig {
    explicit Rig(bool withCable = true,
                 HidFakeBackend::Access access = HidFakeBackend::Access::ReadWrite) {
        env["VARLO_COM1"] = pty.Path();
        auto poll = std::make_unique<ManualTimer>();
        pollTimer = poll.get();
        COMM2 = std::make_unique<TCommPortDriver>(ports, std::move(poll));
        ConfigureAsCOMM2(*COMM2);
        COMM2->SetOnReceiveData([this](void*, const std::uint8_t* data, std::uint32_t size) {
            meter.assembler.KESTODATA(data, size);
        });
        if (withCable) {
            auto cable = FakeDevice(u"USB to Serial");
            cable.access = access;
            fake->Plug("cable", cable);
        }
        controller = std::make_unique<TJvHidDeviceController>(fake);
        list = std::make_unique<UsbDeviceList>(dialogs, meter.traces.HistoryListBox);
        list->Attach(*controller);
        auto watchdog = std::make_unique<ManualTimer>();
        conTimer = watchdog.get();
        connection = std::make_unique<Connection>(
            *COMM2, *list, meter.assembler, meter.decoder.Link(), meter.decoder.Panel(), dialogs,
            std::move(watchdog),
            [this](std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
                if (failReports) throw VarloError("report handler failed");
                meter.assembler.HidKestoData(id, data, size);
            });
        connection->SetOnDeviceLost([this](const std::string& device) { lost.push_back(device); });
    }
    ~Rig() {
        connection.reset();
        list.reset();
        controller.reset();
    }

    const ConnectionControls& Controls() const { return connection->Controls(); }
    TJvHidDevice* Cable() { return list->SelectedDevice(); }
    bool Reading() {
        TJvHidDevice* cable = Cable();
        return cable && cable->Reader() && !cable->Reader()->Finished();
    }
    void Queue(const std::vector<Bytes>& reports) {
        for (const Bytes& r : reports) fake->QueueReport("cable", r);
    }
    // Runs the GUI thread until the assembler has completed `frames` frames.
    bool CompleteFrames(std::uint64_t frames) {
        return PumpUntil([&] { return meter.assembler.CompletedCount() >= frames; });
    }
    void Tick(int n) {
        for (int i = 0; i < n; ++i) conTimer->tick();
    }
    void Serial(const Bytes& bytes) {
        pty.Write(bytes);
        pollTimer->tick();
    }

    std::map<std::string, std::string> env;
    testing::PseudoTerminal pty;
    LinuxSerialPortSystem ports{SerialDeviceFolders{"/nonexistent", "/nonexistent"},
                                [this](const std::string& name) -> std::optional<std::string> {
                                    auto it = env.find(name);
                                    if (it == env.end()) return std::nullopt;
                                    return it->second;
                                }};
    ManualTimer* pollTimer = nullptr;
    std::unique_ptr<TCommPortDriver> COMM2;
    Meter meter;
    varlo::testing::RecordingDialogs dialogs;
    std::shared_ptr<HidFakeBackend> fake = std::make_shared<HidFakeBackend>();
    std::unique_ptr<TJvHidDeviceController> controller;
    std::unique_ptr<UsbDeviceList> list;
    ManualTimer* conTimer = nullptr;
    std::unique_ptr<Connection> connection;
    std::vector<std::string> lost;
    bool failReports = false;
};

// The window's states, each reached from the start as the user reaches it.
ConnectionControls IdleStart() {
    return {};
}
ConnectionControls SerialState() {
    ConnectionControls c;
    c.COMConDown = true;
    c.USBConVisible = false;
    c.BtCOMEnabled = {false, false, false, false};
    c.ComSetup1Enabled = false;
    c.START1Checked = true;
    c.START1Enabled = false;
    c.STOP1Enabled = true;
    c.BTConVisible = false;
    c.BtDisconVisible = true;
    return c;
}
ConnectionControls IdleAfterSerial() {
    ConnectionControls c;
    c.STOP1Checked = true;
    return c;
}
ConnectionControls UsbState() {
    ConnectionControls c;
    c.COMConVisible = false;
    c.USBConDown = true;
    c.USBConCaption = "USB Disconnect";
    c.BtCOMVisible = {false, false, false, false};
    return c;
}
ConnectionControls IdleAfterUsb() {
    ConnectionControls c;
    c.USBConCaption = "USB Connection";
    c.BtCOMVisible = {true, true, true, true};
    return c;
}
ConnectionControls UsbStoppedByWatchdog() {
    ConnectionControls c = UsbState();
    c.USBConDown = false;
    return c;
}

TEST(ConnectionStates, EveryStateOfTheWindowsLink) {
    struct Row {
        const char* name;
        std::function<void(Rig&)> reach;
        ConnectionControls controls;
        bool serialOpen;
        bool lcdSend;
        bool usbReading;
        std::vector<std::string> informed;
    };
    const Row rows[] = {
        {"Idle (start)", [](Rig&) {}, IdleStart(), false, false, false, {}},
        {"Serial",
         [](Rig& r) { r.connection->ClickCOMCon(); },
         SerialState(),
         true,
         false,
         false,
         {}},
        {"Idle (after serial)",
         [](Rig& r) {
             r.connection->ClickCOMCon();
             r.connection->ClickCOMCon();
         },
         IdleAfterSerial(),
         false,
         false,
         false,
         {}},
        {"USB", [](Rig& r) { r.connection->ClickUSBCon(); }, UsbState(), false, true, true, {}},
        {"Idle (after USB)",
         [](Rig& r) {
             r.connection->ClickUSBCon();
             r.connection->ClickUSBCon();
         },
         IdleAfterUsb(),
         false,
         false,
         false,
         {}},
        {"USB stopped by watchdog",
         [](Rig& r) {
             r.connection->ClickUSBCon();
             r.meter.assembler.SetIdleReportCount(1900);
             r.Tick(3);
         },
         UsbStoppedByWatchdog(),
         false,
         true,
         false,
         {kMeterNotReady}},
        {"USB stopped by device change",
         [](Rig& r) {
             r.connection->ClickUSBCon();
             r.fake->Plug("mouse", FakeDevice(u"Optical Mouse"));
             r.fake->NotifyChange();
         },
         UsbState(),
         false,
         true,
         false,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        row.reach(rig);
        EXPECT_EQ(rig.Controls(), row.controls);
        EXPECT_EQ(rig.COMM2->Connected(), row.serialOpen);
        EXPECT_EQ(rig.connection->LCDsendVisible(), row.lcdSend);
        EXPECT_EQ(rig.Reading(), row.usbReading);
        EXPECT_EQ(rig.dialogs.messages, row.informed);
    }
}

TEST(ConnectionStates, StartAndStopFromTheMenuLeaveUsbConAlone) {
    Rig rig;
    rig.connection->BTCon1Click();
    EXPECT_EQ(rig.Controls(), [] {
        ConnectionControls c = SerialState();
        c.USBConVisible = true;  // not touched
        return c;
    }());
    EXPECT_TRUE(rig.COMM2->Connected());
    rig.connection->BtDiscon1Click();
    EXPECT_EQ(rig.Controls(), IdleAfterSerial());
    EXPECT_FALSE(rig.COMM2->Connected());
}

TEST(ConnectionStates, TheStoppedUsbStatesRecoverWithClicksOnUsbCon) {
    {
        SCOPED_TRACE("watchdog: USBCon is up, one click connects again");
        Rig rig;
        rig.connection->ClickUSBCon();
        rig.meter.assembler.SetIdleReportCount(1900);
        rig.Tick(3);
        rig.connection->ClickUSBCon();
        EXPECT_EQ(rig.Controls(), UsbState());
        EXPECT_TRUE(rig.Reading());
    }
    {
        SCOPED_TRACE("device change: USBCon is down, disconnect and connect");
        Rig rig;
        rig.connection->ClickUSBCon();
        rig.fake->Plug("mouse", FakeDevice(u"Optical Mouse"));
        rig.fake->NotifyChange();
        rig.connection->ClickUSBCon();
        EXPECT_EQ(rig.Controls(), IdleAfterUsb());
        rig.connection->ClickUSBCon();
        EXPECT_EQ(rig.Controls(), UsbState());
        EXPECT_TRUE(rig.Reading());
    }
}

TEST(ConnectionPorts, ThePanelCyclesThroughThePortsAndTheMenuMarksFollow) {
    Rig rig;
    const TComPortNumber cycle[] = {pnCOM2, pnCOM3, pnCOM4, pnCOM1};
    for (TComPortNumber port : cycle) {
        rig.connection->ClickPortPanel();
        EXPECT_EQ(rig.COMM2->ComPort(), port);
        EXPECT_EQ(rig.connection->SeenPortPanel(), port);
        std::array<bool, 4> only{};
        only[port] = true;
        EXPECT_EQ(rig.Controls().COMChecked, only);
        EXPECT_EQ(rig.Controls().BtCOMVisible, only);
    }
    EXPECT_EQ(rig.Controls(), IdleStart());
}

TEST(ConnectionPorts, NoPortChangeReachesTheOpenPort) {
    Rig rig;
    rig.connection->ClickCOMCon();
    rig.connection->ClickPortPanel();  // the panels are disabled
    EXPECT_EQ(rig.Controls(), SerialState());
    rig.connection->COM31Click();  // the menu changes marks and panels, not the port
    EXPECT_TRUE(rig.Controls().COMChecked[pnCOM3]);
    EXPECT_EQ(rig.connection->SeenPortPanel(), pnCOM3);
    EXPECT_EQ(rig.COMM2->ComPort(), pnCOM1);
    rig.pty.Write(kSerialFrame);
    rig.pollTimer->tick();
    EXPECT_EQ(rig.meter.decoder.DecodedCount(), 1u) << "still reading COM1";
}

TEST(ConnectionPorts, AfterUsbAllPanelsShowAndComFourOnTopChoosesComOne) {
    Rig rig;
    rig.connection->COM31Click();
    rig.connection->ClickUSBCon();
    rig.connection->ClickUSBCon();
    EXPECT_EQ(rig.Controls().BtCOMVisible, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(rig.connection->SeenPortPanel(), 3);
    rig.connection->ClickPortPanel();
    EXPECT_EQ(rig.COMM2->ComPort(), pnCOM1);
    EXPECT_EQ(rig.Controls().BtCOMVisible, (std::array<bool, 4>{true, false, false, false}));
}

// A port that cannot be opened is reported with its device and the reason,
// and the link stays Idle; the view has the Idle state when the box shows.
TEST(ConnectionSerial, APortThatCannotBeOpenedIsReportedAndTheLinkStaysIdle) {
    struct Case {
        const char* name;
        std::optional<int> injected;  // none: nothing behind COM1
        bool fromMenu;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"permission", EACCES, false, {"COM1 (", ")", "permission denied", "dialout"}},
        {"busy", EBUSY, true, {"COM1 (", ")", "in use by another program"}},
        {"absent", std::nullopt, false, {"COM1 cannot", "no serial device found"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        if (c.injected) {
            rig.ports.InjectOpenFailure(c.injected);
        } else {
            rig.env.clear();
        }
        ConnectionControls shownWithTheBox;
        rig.dialogs.onInform = [&](const std::string&) { shownWithTheBox = rig.Controls(); };
        int notices = 0;
        ConnectionControls lastNotice;
        rig.connection->SetOnChanged([&] {
            ++notices;
            lastNotice = rig.Controls();
        });
        if (c.fromMenu) {
            rig.connection->BTCon1Click();
        } else {
            rig.connection->ClickCOMCon();
        }
        EXPECT_EQ(rig.Controls(), IdleStart());
        EXPECT_EQ(shownWithTheBox, IdleStart());
        EXPECT_GT(notices, 0);
        EXPECT_EQ(lastNotice, IdleStart());
        EXPECT_FALSE(rig.COMM2->Connected());
        ASSERT_EQ(rig.dialogs.messages.size(), 1u);
        const std::string text = rig.dialogs.messages[0];
        for (const std::string& word : c.words) {
            EXPECT_NE(text.find(word), std::string::npos) << word << " in: " << text;
        }
        if (c.injected) {
            EXPECT_NE(text.find(rig.pty.Path()), std::string::npos) << text;
        }
    }
}

// The link indicator goes out on the third watchdog tick after the last
// decoded frame; the idle check runs on that tick only.
TEST(ConnectionWatchdog, IndicatorAndIdleCheck) {
    {
        Rig rig;
        rig.connection->ClickCOMCon();
        rig.Serial(kSerialFrame);
        ASSERT_EQ(rig.meter.decoder.DecodedCount(), 1u);
        EXPECT_TRUE(rig.connection->Link().CONokVisible);
        rig.Tick(2);
        EXPECT_TRUE(rig.connection->Link().CONokVisible);
        EXPECT_EQ(rig.connection->Link().LinkIdleTicks, 2);
        rig.Serial(kSerialFrame);  // a frame within 600 ms keeps it shown
        rig.Tick(2);
        EXPECT_TRUE(rig.connection->Link().CONokVisible);
        rig.Tick(1);
        EXPECT_FALSE(rig.connection->Link().CONokVisible);
        EXPECT_TRUE(rig.connection->Link().CONokNVisible);
        EXPECT_EQ(rig.connection->Link().LinkIdleTicks, 0);
    }
    for (const std::int32_t idle : {1899, 1900}) {
        SCOPED_TRACE(idle);
        Rig usb;
        usb.connection->ClickUSBCon();
        usb.meter.assembler.SetIdleReportCount(idle);
        usb.Tick(2);
        EXPECT_TRUE(usb.dialogs.messages.empty()) << "checked only on the third tick";
        usb.Tick(3);
        const bool stopped = idle >= 1900;
        EXPECT_EQ(usb.dialogs.messages.size(), stopped ? 1u : 0u);
        EXPECT_EQ(usb.Controls().USBConDown, !stopped);
        EXPECT_EQ(usb.Reading(), !stopped);
        EXPECT_EQ(usb.meter.assembler.IdleReportCount(), stopped ? 0 : idle);
        usb.Tick(6);
        EXPECT_EQ(usb.dialogs.messages.size(), stopped ? 1u : 0u) << "shown once";
    }
}

TEST(ConnectionUsb, FramesFromTheCableAreDecodedAndTheFeatureReportGoesOutBothWays) {
    Rig rig;
    rig.connection->ClickUSBCon();
    rig.connection->ClickUSBCon();
    rig.meter.assembler.SetIdleReportCount(7);
    rig.connection->ClickUSBCon();
    EXPECT_EQ(rig.meter.assembler.IdleReportCount(), 0) << "USB Connect starts the count";
    rig.Queue(kHeadReports);
    rig.Queue(kTailReports);
    rig.Queue({kIdleReport});
    ASSERT_TRUE(rig.CompleteFrames(1));
    EXPECT_EQ(rig.meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
    EXPECT_EQ(rig.meter.assembler.IdleReportCount(), 1);
    EXPECT_EQ(rig.fake->FeatureReports("cable").size(), 3u);
}

// A report handler that fails ends the cable's reader; the window stays in
// the USB state until two clicks on USBCon start reception again.
TEST(ConnectionUsb, AFailedReportHandlerNeedsTwoClicksToReadAgain) {
    Rig rig;
    rig.connection->ClickUSBCon();
    rig.failReports = true;
    rig.Queue({kIdleReport});
    ASSERT_TRUE(PumpUntil([&] { return !rig.Reading(); }));
    EXPECT_EQ(rig.Controls(), UsbState());
    rig.failReports = false;
    rig.connection->ClickUSBCon();
    rig.connection->ClickUSBCon();
    EXPECT_TRUE(rig.Reading());
    rig.Queue(kHeadReports);
    rig.Queue(kTailReports);
    rig.Queue({kIdleReport});
    ASSERT_TRUE(rig.CompleteFrames(1));
    EXPECT_EQ(rig.meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
}

// USB Connect that cannot start reception returns to Idle (after USB).
TEST(ConnectionUsb, ConnectWithoutAUsableCableReturnsToIdle) {
    struct Case {
        const char* name;
        bool cable;
        HidFakeBackend::Access access;
        bool unplugFirst;  // the cable went while reading; this click disconnects
        std::vector<std::string> informed;
    };
    const Case cases[] = {
        {"no cable", false, HidFakeBackend::Access::ReadWrite, false, {kNotConnected}},
        {"no access", true, HidFakeBackend::Access::QueryOnly, false, {}},
        {"unplugged during reception",
         true,
         HidFakeBackend::Access::ReadWrite,
         true,
         {kNotConnected}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.cable, c.access);
        if (c.unplugFirst) {
            rig.connection->ClickUSBCon();
            rig.fake->Unplug("cable");
            rig.fake->NotifyChange();
        }
        rig.connection->ClickUSBCon();
        EXPECT_EQ(rig.Controls(), IdleAfterUsb());
        EXPECT_FALSE(rig.connection->LCDsendVisible());
        EXPECT_EQ(rig.dialogs.messages, c.informed);
    }
}

// A connection never finishes a frame begun on the one before it.
TEST(ConnectionAfresh, AReconnectMidFrameDropsTheFrameBegunBefore) {
    {
        SCOPED_TRACE("serial");
        Rig rig;
        rig.connection->ClickCOMCon();
        rig.Serial(Bytes(kSerialFrame.begin(), kSerialFrame.begin() + 7));
        rig.connection->ClickCOMCon();
        rig.connection->ClickCOMCon();
        rig.Serial(Bytes(kSerialFrame.begin() + 7, kSerialFrame.end()));
        EXPECT_EQ(rig.meter.decoder.DecodedCount(), 0u);
        EXPECT_EQ(rig.meter.assembler.DroppedCount(), 1u);
        rig.Serial(kSerialFrame);
        EXPECT_EQ(rig.meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
    }
    {
        SCOPED_TRACE("USB cable unplugged and plugged in again");
        Rig rig;
        rig.connection->ClickUSBCon();
        rig.Queue(kHeadReports);
        ASSERT_TRUE(PumpUntil([&] { return rig.meter.assembler.ReportHexBuffer().size() == 14; }));
        rig.fake->Unplug("cable");
        rig.fake->NotifyChange();
        rig.fake->Plug("cable", FakeDevice(u"USB to Serial"));
        rig.fake->NotifyChange();
        rig.connection->ClickUSBCon();
        rig.connection->ClickUSBCon();
        ASSERT_TRUE(rig.Reading());
        rig.Queue(kTailReports);
        rig.Queue({kIdleReport});
        ASSERT_TRUE(rig.CompleteFrames(1));
        EXPECT_EQ(rig.meter.decoder.DecodedCount(), 0u);
        EXPECT_EQ(rig.meter.assembler.DroppedCount(), 1u);
        rig.Queue(kHeadReports);
        rig.Queue(kTailReports);
        rig.Queue({kIdleReport});
        ASSERT_TRUE(rig.CompleteFrames(2));
        EXPECT_EQ(rig.meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
    }
}

// The device of a link in reception goes away: told once, with its path.
TEST(ConnectionLost, ADeviceThatGoesAwayIsToldOnce) {
    {
        SCOPED_TRACE("serial: the terminal's other side closes");
        Rig rig;
        rig.connection->ClickCOMCon();
        rig.pty.CloseMaster();
        for (int i = 0; i < 3; ++i) rig.pollTimer->tick();
        EXPECT_EQ(rig.lost, std::vector<std::string>{rig.pty.Path()});
        EXPECT_TRUE(rig.Controls().COMConDown) << "the window's state stays";
    }
    struct Case {
        const char* name;
        bool hotPlugNotice;
    };
    for (const Case& c : {Case{"USB: unplugged, with a hot-plug notice", true},
                          Case{"USB: unplugged, reads fail (no hot-plug events)", false}}) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.connection->ClickUSBCon();
        const std::string path = rig.Cable()->PnPInfo().DevicePath;
        rig.fake->Unplug("cable");
        if (c.hotPlugNotice) rig.fake->NotifyChange();
        ASSERT_TRUE(PumpUntil([&] { return !rig.lost.empty(); }));
        PumpFor(100);
        EXPECT_EQ(rig.lost, std::vector<std::string>{path});
        EXPECT_TRUE(rig.Controls().USBConDown);
    }
}

TEST(ConnectionLost, OtherReadErrorsAndAChangeThatKeepsTheCableAreNoLoss) {
    Rig rig;
    std::vector<std::uint32_t> errors;
    rig.connection->SetOnUsbReadError([&](std::uint32_t code) { errors.push_back(code); });
    rig.connection->ClickUSBCon();
    rig.fake->QueueError("cable", EPIPE);
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors, std::vector<std::uint32_t>{EPIPE});
    rig.fake->Plug("mouse", FakeDevice(u"Optical Mouse"));
    rig.fake->NotifyChange();
    PumpFor(50);
    EXPECT_TRUE(rig.lost.empty());

    // After a disconnect, the cable's going is nobody's loss.
    rig.connection->ClickUSBCon();
    rig.connection->ClickUSBCon();
    rig.connection->ClickUSBCon();
    rig.fake->Unplug("cable");
    rig.fake->NotifyChange();
    PumpFor(50);
    EXPECT_TRUE(rig.lost.empty());
}

}  // namespace
}  // namespace test
}  // namespace varlo
