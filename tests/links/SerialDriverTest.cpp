#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <map>
#include <numeric>

#include "PseudoTerminal.h"
#include "links/ComDrv32.h"
#include "platform/LinuxSerialPort.h"

namespace varlo {
namespace {

using testing::PseudoTerminal;
using Bytes = std::vector<std::uint8_t>;

// A driver on a real pseudo-terminal, mapped as COM1, with a timer the
// test ticks by hand.
class PtyDriver : public ::testing::Test {
  protected:
    PtyDriver()
        : ports_(SerialDeviceFolders{"/nonexistent", "/nonexistent"},
                 [this](const std::string& name) -> std::optional<std::string> {
                     auto it = env_.find(name);
                     if (it == env_.end()) return std::nullopt;
                     return it->second;
                 }) {
        env_["VARLO_COM1"] = pty_.Path();
        driver_ = MakeDriver(timer_);
    }

    std::unique_ptr<TCommPortDriver> MakeDriver(ManualTimer*& timer) {
        auto owned = std::make_unique<ManualTimer>();
        timer = owned.get();
        auto d = std::make_unique<TCommPortDriver>(ports_, std::move(owned));
        // The main window's configuration of its driver.
        d->SetComPort(pnCOM1);
        d->SetComPortSpeed(br19200);
        d->SetComPortDataBits(db7BITS);
        d->SetComPortParity(ptODD);
        return d;
    }

    void Record() {
        driver_->SetOnReceiveData([this](void* sender, const std::uint8_t* data, std::uint32_t n) {
            EXPECT_EQ(sender, driver_.get());
            EXPECT_GE(n, 1u);
            calls_.emplace_back(data, data + n);
            received_.insert(received_.end(), data, data + n);
        });
    }

    std::map<std::string, std::string> env_;
    PseudoTerminal pty_;
    LinuxSerialPortSystem ports_;
    ManualTimer* timer_ = nullptr;
    std::unique_ptr<TCommPortDriver> driver_;
    std::vector<Bytes> calls_;
    Bytes received_;
};

const Bytes kFrame = {0x0A, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30,
                      0x3B, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D};

TEST(SerialDriverProperties, DefaultsAndTables) {
    LinuxSerialPortSystem ports;
    TCommPortDriver d(ports, std::make_unique<ManualTimer>());
    EXPECT_EQ(d.ComPort(), pnCOM2);
    EXPECT_EQ(d.ComPortSpeed(), br9600);
    EXPECT_EQ(d.ComPortDataBits(), db8BITS);
    EXPECT_EQ(d.ComPortStopBits(), sb1BITS);
    EXPECT_EQ(d.ComPortParity(), ptNONE);
    EXPECT_EQ(d.ComPortHwHandshaking(), hhNONE);
    EXPECT_EQ(d.ComPortSwHandshaking(), shNONE);
    EXPECT_EQ(d.ComPortInBufSize(), 2048);
    EXPECT_EQ(d.ComPortOutBufSize(), 2048);
    EXPECT_EQ(d.ComPortPollingDelay(), 50);
    EXPECT_TRUE(d.EnableDTROnOpen());
    EXPECT_FALSE(d.OnReceiveData());
    EXPECT_FALSE(d.Connected());

    const std::uint32_t speeds[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                    14400, 19200, 38400, 56000, 57600, 115200};
    for (int i = br110; i <= br115200; ++i) {
        EXPECT_EQ(BaudRateValue(static_cast<TComPortBaudRate>(i)), speeds[i]);
    }
    EXPECT_EQ(ComPortName(pnCOM1), "COM1");
    EXPECT_EQ(ComPortName(pnCOM4), "COM4");
}

TEST(SerialDriverProperties, LineSettingsRecord) {
    LinuxSerialPortSystem ports;
    TCommPortDriver d(ports, std::make_unique<ManualTimer>());
    d.SetComPortSpeed(br19200);
    d.SetComPortDataBits(db7BITS);
    d.SetComPortParity(ptODD);
    LineSettings s = d.BuildLineSettings();
    EXPECT_EQ(s.recordLength, 28u);
    EXPECT_EQ(s.baudRate, 19200u);
    EXPECT_TRUE(s.binaryMode);
    EXPECT_FALSE(s.parityCheck);
    EXPECT_FALSE(s.ctsOutputFlow);
    EXPECT_EQ(s.dtrControl, DtrControl::Enabled);
    EXPECT_EQ(s.rtsControl, RtsControl::Disabled);
    EXPECT_FALSE(s.xonXoffInput || s.xonXoffOutput);
    EXPECT_EQ(s.xonLimit, 512);
    EXPECT_EQ(s.xoffLimit, 1);
    EXPECT_EQ(s.byteSize, 7);
    EXPECT_EQ(s.parity, 1);
    EXPECT_EQ(s.stopBits, 0);
    EXPECT_EQ(s.xonChar | s.xoffChar | s.errorChar | s.eofChar | s.eventChar, 0);

    d.SetComPortHwHandshaking(hhRTSCTS);
    d.SetComPortSwHandshaking(shXONXOFF);
    d.SetEnableDTROnOpen(false);
    d.SetComPortStopBits(sb2BITS);
    d.SetComPortInBufSize(100);
    s = d.BuildLineSettings();
    EXPECT_TRUE(s.ctsOutputFlow);
    EXPECT_EQ(s.rtsControl, RtsControl::Handshake);
    EXPECT_TRUE(s.xonXoffInput && s.xonXoffOutput);
    EXPECT_EQ(s.dtrControl, DtrControl::Disabled);
    EXPECT_EQ(s.stopBits, 2);
    EXPECT_EQ(s.xonLimit, 25);
}

// Records what the driver asks of the platform, in order.
class RecordingPort : public SerialPort {
  public:
    explicit RecordingPort(std::vector<std::string>& calls) : calls_(calls) {}
    void ApplyLineSettings(const LineSettings& s) override {
        calls_.push_back("line " + std::to_string(s.baudRate) + " " + std::to_string(s.byteSize));
    }
    void SetQueueSizes(std::uint32_t in, std::uint32_t out) override {
        calls_.push_back("queues " + std::to_string(in) + " " + std::to_string(out));
    }
    void SetTimeouts(const PortTimeouts& t) override {
        calls_.push_back("timeouts " + std::to_string(t.readInterval) + " " +
                         std::to_string(t.readTotalMultiplier) + " " +
                         std::to_string(t.readTotalConstant) + " " +
                         std::to_string(t.writeTotalMultiplier) + " " +
                         std::to_string(t.writeTotalConstant));
    }
    void Purge(bool in, bool out) override {
        calls_.push_back(std::string("purge") + (in ? " in" : "") + (out ? " out" : ""));
    }
    SerialReadResult Read(std::uint8_t*, std::size_t max) override {
        calls_.push_back("read " + std::to_string(max));
        return {};
    }
    ~RecordingPort() override { calls_.push_back("close"); }

  private:
    std::vector<std::string>& calls_;
};

class RecordingSystem : public SerialPortSystem {
  public:
    SerialOpenResult Open(const std::string& name) override {
        calls.push_back("open " + name);
        SerialOpenResult r;
        r.port = std::make_unique<RecordingPort>(calls);
        return r;
    }
    std::vector<std::string> calls;
};

TEST(SerialDriverPlatform, ConnectProgramsThePortInOrder) {
    RecordingSystem ports;
    auto owned = std::make_unique<ManualTimer>();
    ManualTimer* timer = owned.get();
    TCommPortDriver d(ports, std::move(owned));
    d.SetComPort(pnCOM3);
    d.SetComPortSpeed(br19200);
    d.SetComPortDataBits(db7BITS);
    EXPECT_TRUE(ports.calls.empty()) << "closed: property writes reach no port";
    ASSERT_TRUE(d.Connect());
    timer->tick();
    d.PurgeBuffers(true, false);
    d.Disconnect();
    const std::vector<std::string> expected = {
        "open COM3",          "line 19200 7", "purge in out", "queues 2048 2048",
        "timeouts 1 0 1 0 0", "read 2048",    "purge in",     "close"};
    EXPECT_EQ(ports.calls, expected);
}

TEST_F(PtyDriver, LinkWorksAlthoughTheTerminalRefusesSevenBitsAndModemLines) {
    Record();
    ASSERT_TRUE(driver_->Connect()) << driver_->LastConnectError().message;
    EXPECT_TRUE(driver_->Connected());
    EXPECT_TRUE(timer_->active());
    EXPECT_EQ(timer_->interval(), 50);

    auto* port = dynamic_cast<LinuxSerialPort*>(driver_->Port());
    ASSERT_NE(port, nullptr);
    std::string refused;
    for (const auto& r : port->Refusals()) refused += r + "\n";
    EXPECT_NE(refused.find("DTR"), std::string::npos) << refused;
    EXPECT_NE(refused.find("RTS"), std::string::npos) << refused;

    // The terminal is raw although the framing was not taken: CR stays CR.
    termios t{};
    ASSERT_EQ(tcgetattr(pty_.Master(), &t), 0);
    EXPECT_EQ(t.c_lflag & ICANON, 0u);
    EXPECT_EQ(t.c_iflag & ICRNL, 0u);

    pty_.Write(kFrame);
    timer_->tick();
    EXPECT_EQ(received_, kFrame);
}

TEST_F(PtyDriver, BytesArriveCompleteAndInOrder) {
    Record();
    ASSERT_TRUE(driver_->Connect());
    Bytes sent(6000);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<std::uint8_t>((i * 7) % 128);
    for (std::size_t at = 0; at < sent.size(); at += 1500) {
        pty_.Write(Bytes(sent.begin() + at, sent.begin() + at + 1500));
        timer_->tick();
    }
    for (int i = 0; i < 5 && received_.size() < sent.size(); ++i) timer_->tick();
    EXPECT_EQ(received_, sent);
}

TEST_F(PtyDriver, OneReadPerTickOfAtMostTheBufferSize) {
    Record();
    ASSERT_TRUE(driver_->Connect());
    timer_->tick();
    EXPECT_TRUE(calls_.empty()) << "nothing queued, no call";

    pty_.Write(Bytes(3000, 0x31));
    timer_->tick();
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].size(), 2048u);
    timer_->tick();
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[1].size(), 952u);
    timer_->tick();
    EXPECT_EQ(calls_.size(), 2u);

    // A smaller buffer, set while closed, bounds each read.
    driver_->Disconnect();
    driver_->SetComPortInBufSize(16);
    ASSERT_TRUE(driver_->Connect());
    pty_.Write(Bytes(40, 0x32));
    timer_->tick();
    timer_->tick();
    timer_->tick();
    ASSERT_EQ(calls_.size(), 5u);
    EXPECT_EQ(calls_[2].size(), 16u);
    EXPECT_EQ(calls_[3].size(), 16u);
    EXPECT_EQ(calls_[4].size(), 8u);
}

TEST_F(PtyDriver, EighthBitIsMaskedToTheCharacterSize) {
    Record();
    ASSERT_TRUE(driver_->Connect());
    pty_.Write({0x8D, 0xB1, 0x0A, 0xFF});
    timer_->tick();
    EXPECT_EQ(received_, (Bytes{0x0D, 0x31, 0x0A, 0x7F}));

    // Eight data bits, written while open, take effect at once.
    received_.clear();
    driver_->SetComPortDataBits(db8BITS);
    pty_.Write({0x8D});
    timer_->tick();
    EXPECT_EQ(received_, (Bytes{0x8D}));
}

TEST_F(PtyDriver, ConnectWhileOpenChangesNothingAndDiscardsNothing) {
    Record();
    ASSERT_TRUE(driver_->Connect());
    SerialPort* port = driver_->Port();
    pty_.Write(kFrame);
    EXPECT_TRUE(driver_->Connect());
    EXPECT_EQ(driver_->Port(), port) << "not re-opened";
    EXPECT_EQ(timer_->starts(), 1);
    timer_->tick();
    EXPECT_EQ(received_, kFrame);
}

TEST_F(PtyDriver, DisconnectStopsPollingAndDoesNothingWhenClosed) {
    Record();
    driver_->Disconnect();
    EXPECT_EQ(timer_->stops(), 0);
    EXPECT_FALSE(driver_->Connected());

    ASSERT_TRUE(driver_->Connect());
    driver_->Disconnect();
    EXPECT_FALSE(driver_->Connected());
    EXPECT_FALSE(timer_->active());
    driver_->Disconnect();
    EXPECT_EQ(timer_->stops(), 1);
    driver_->PollTick();  // a late tick on a closed driver reads nothing
    EXPECT_TRUE(calls_.empty());
}

TEST_F(PtyDriver, ComPortWrittenWhileOpenIsIgnored) {
    PseudoTerminal second;
    env_["VARLO_COM2"] = second.Path();
    Record();
    ASSERT_TRUE(driver_->Connect());
    driver_->SetComPort(pnCOM2);
    EXPECT_EQ(driver_->ComPort(), pnCOM1);
    pty_.Write({0x41});
    timer_->tick();
    EXPECT_EQ(received_, Bytes{0x41});

    driver_->Disconnect();
    driver_->SetComPort(pnCOM2);
    EXPECT_EQ(driver_->ComPort(), pnCOM2);
    ASSERT_TRUE(driver_->Connect());
    second.Write({0x42});
    timer_->tick();
    EXPECT_EQ(received_, (Bytes{0x41, 0x42}));
}

TEST_F(PtyDriver, LinePropertyWrittenWhileOpenReappliesAndPurges) {
    Record();
    ASSERT_TRUE(driver_->Connect());
    struct Write {
        const char* name;
        void (*apply)(TCommPortDriver&);
    };
    const Write writes[] = {
        {"speed", [](TCommPortDriver& d) { d.SetComPortSpeed(br9600); }},
        {"data bits", [](TCommPortDriver& d) { d.SetComPortDataBits(db7BITS); }},
        {"stop bits", [](TCommPortDriver& d) { d.SetComPortStopBits(sb2BITS); }},
        {"parity", [](TCommPortDriver& d) { d.SetComPortParity(ptEVEN); }},
        {"hardware handshake", [](TCommPortDriver& d) { d.SetComPortHwHandshaking(hhNONE); }},
        {"software handshake", [](TCommPortDriver& d) { d.SetComPortSwHandshaking(shNONE); }},
    };
    for (const Write& w : writes) {
        pty_.Write(kFrame);
        w.apply(*driver_);
        timer_->tick();
        EXPECT_TRUE(received_.empty()) << w.name << " did not discard the queue";
        pty_.Write({0x55});
        timer_->tick();
        EXPECT_EQ(received_, Bytes{0x55}) << w.name;
        received_.clear();
    }
    // Plain stores and the buffer size while open touch nothing queued.
    pty_.Write(kFrame);
    driver_->SetEnableDTROnOpen(false);
    driver_->SetComPortInBufSize(8);
    EXPECT_EQ(driver_->ComPortInBufSize(), 2048);
    timer_->tick();
    EXPECT_EQ(received_, kFrame);
}

TEST_F(PtyDriver, PollingDelayRestartsTheTimerOnlyWhenItChanges) {
    ASSERT_TRUE(driver_->Connect());
    driver_->SetComPortPollingDelay(50);
    EXPECT_EQ(timer_->starts(), 1);
    EXPECT_EQ(timer_->stops(), 0);
    driver_->SetComPortPollingDelay(20);
    EXPECT_EQ(timer_->starts(), 2);
    EXPECT_EQ(timer_->interval(), 20);
    driver_->Disconnect();
    driver_->SetComPortPollingDelay(30);
    EXPECT_FALSE(timer_->active());
    ASSERT_TRUE(driver_->Connect());
    EXPECT_EQ(timer_->interval(), 30);
}

TEST_F(PtyDriver, SecondDriverOnTheSamePortIsRefused) {
    ASSERT_TRUE(driver_->Connect());
    ManualTimer* otherTimer = nullptr;
    auto other = MakeDriver(otherTimer);
    EXPECT_FALSE(other->Connect());
    EXPECT_FALSE(other->Connected());
    EXPECT_FALSE(otherTimer->active());
    EXPECT_EQ(other->LastConnectError().kind, SerialOpenFailure::Busy);
    EXPECT_NE(other->LastConnectError().message.find(pty_.Path()), std::string::npos);

    driver_->Disconnect();
    EXPECT_TRUE(other->Connect()) << "free again after the first let go";
}

TEST_F(PtyDriver, FailedConnectThenRetry) {
    env_["VARLO_COM1"] = "/dev/varlo-no-such-port";
    EXPECT_FALSE(driver_->Connect());
    EXPECT_FALSE(driver_->Connected());
    EXPECT_FALSE(timer_->active());
    EXPECT_EQ(driver_->LastConnectError().kind, SerialOpenFailure::NoSuchDevice);
    EXPECT_EQ(driver_->LastConnectError().osError, ENOENT);

    env_["VARLO_COM1"] = pty_.Path();
    EXPECT_TRUE(driver_->Connect());
    EXPECT_EQ(driver_->LastConnectError().kind, SerialOpenFailure::None);
}

TEST_F(PtyDriver, UnmappedComPortSaysHowToMapIt) {
    env_.clear();
    EXPECT_FALSE(driver_->Connect());
    EXPECT_EQ(driver_->LastConnectError().kind, SerialOpenFailure::NoSuchDevice);
    EXPECT_NE(driver_->LastConnectError().message.find("VARLO_COM1"), std::string::npos);
}

TEST_F(PtyDriver, InjectedFailuresCarryTheirReasons) {
    struct Case {
        int error;
        SerialOpenFailure kind;
        const char* words;
    };
    const Case cases[] = {
        {EACCES, SerialOpenFailure::PermissionDenied, "dialout"},
        {EBUSY, SerialOpenFailure::Busy, "in use"},
        {ENODEV, SerialOpenFailure::NoSuchDevice, "no such device"},
    };
    for (const Case& c : cases) {
        ports_.InjectOpenFailure(c.error);
        EXPECT_FALSE(driver_->Connect());
        EXPECT_FALSE(driver_->Connected());
        const SerialOpenError& e = driver_->LastConnectError();
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_EQ(e.device, pty_.Path());
        EXPECT_NE(e.message.find(c.words), std::string::npos) << e.message;
    }
    ports_.InjectOpenFailure(std::nullopt);
    EXPECT_TRUE(driver_->Connect());
}

TEST_F(PtyDriver, WithoutAHandlerBytesAreReadAndDropped) {
    ASSERT_TRUE(driver_->Connect());
    pty_.Write(Bytes(1000, 0x33));
    timer_->tick();
    Record();
    pty_.Write({0x34, 0x35});
    timer_->tick();
    EXPECT_EQ(received_, (Bytes{0x34, 0x35}));
}

TEST_F(PtyDriver, AFailingHandlerLeavesItsTickAndPollingGoesOn) {
    int calls = 0;
    driver_->SetOnReceiveData([&](void*, const std::uint8_t* data, std::uint32_t n) {
        received_.insert(received_.end(), data, data + n);
        if (++calls == 1) throw std::runtime_error("handler failed");
    });
    ASSERT_TRUE(driver_->Connect());
    pty_.Write({0x31});
    EXPECT_THROW(timer_->tick(), std::runtime_error);
    EXPECT_TRUE(timer_->active());
    pty_.Write({0x32});
    timer_->tick();
    EXPECT_EQ(received_, (Bytes{0x31, 0x32}));
}

// A device that goes away while open: the kernel hangs the terminal up, so
// reads come back empty for ever; each is reported as a failed read (the
// handler sees no data) and polling goes on.
TEST_F(PtyDriver, AFailedReadIsReportedAndPollingGoesOn) {
    struct Case {
        const char* name;
        bool (*goAway)(PseudoTerminal&);
        int error;
    };
    const Case cases[] = {
        {"other side closed",
         [](PseudoTerminal& p) {
             p.CloseMaster();
             return true;
         },
         ENODEV},
        {"hung up", [](PseudoTerminal& p) { return p.Hangup(); }, ENODEV},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PseudoTerminal pty;
        env_["VARLO_COM1"] = pty.Path();
        ManualTimer* timer = nullptr;
        auto driver = MakeDriver(timer);
        std::vector<int> errors;
        int calls = 0;
        driver->SetOnReceiveData([&](void*, const std::uint8_t*, std::uint32_t) { ++calls; });
        driver->SetOnReadError([&](int error) { errors.push_back(error); });
        ASSERT_TRUE(driver->Connect());
        EXPECT_EQ(driver->DevicePath(), pty.Path());
        pty.Write(kFrame);
        timer->tick();
        EXPECT_EQ(calls, 1);
        if (!c.goAway(pty)) {
            std::printf("hanging up a terminal needs root; skipped\n");
            continue;
        }
        timer->tick();
        timer->tick();
        EXPECT_EQ(errors, (std::vector<int>{c.error, c.error}));
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(driver->Connected());
        EXPECT_TRUE(timer->active());
    }
}

TEST_F(PtyDriver, ADevicePathIsOpenedAsItIs) {
    env_.clear();
    driver_->SetDevicePath(pty_.Path());
    EXPECT_EQ(driver_->PortName(), pty_.Path());
    Record();
    ASSERT_TRUE(driver_->Connect()) << driver_->LastConnectError().message;
    driver_->SetDevicePath("/dev/varlo-other");
    driver_->SetComPort(pnCOM2);
    EXPECT_EQ(driver_->PortName(), pty_.Path()) << "ignored while open";
    pty_.Write({0x41});
    timer_->tick();
    EXPECT_EQ(received_, Bytes{0x41});
    driver_->Disconnect();

    // A port chosen by number drops the path.
    driver_->SetComPort(pnCOM2);
    EXPECT_EQ(driver_->PortName(), "COM2");
    driver_->SetDevicePath("/dev/varlo-no-such-port");
    EXPECT_FALSE(driver_->Connect());
    EXPECT_EQ(driver_->LastConnectError().message, "/dev/varlo-no-such-port: no such device");
}

TEST_F(PtyDriver, NotATerminalIsRefused) {
    env_["VARLO_COM1"] = "/dev/null";
    EXPECT_FALSE(driver_->Connect());
    EXPECT_NE(driver_->LastConnectError().message.find("not a serial device"), std::string::npos);
}

}  // namespace
}  // namespace varlo
