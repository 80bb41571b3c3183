// varlo-pulls: cables pulled and put back while the real window reads.
// Serial: the simulated meter at the line's full rate on a pseudo-terminal,
// named as COM1 through a symbolic link; a pull stops the simulator (its
// terminal closes), a new one starts on a new terminal and the link is
// repointed to it, so the port keeps its name. USB: a scripted cable that
// streams readings; a pull unplugs it and plugs it in again, each with the
// hot-plug notice. After each pull the window must be in the state the
// connection's table gives (serial: still Serial, the indicator dark; USB:
// "USB Connect" down with "USB Disconnect", the reader stopped, the cable
// listed again), and the user's two clicks on the connect button must bring
// readings back. Descriptors and threads are counted once reception runs
// after a first pull, and again after the last; no message box may show.
// Prints its figures; exits 1 on any miss, 2 on a usage error.
//
// Usage: varlo-pulls [--serial N] [--usb N]
#include <QAbstractButton>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "EventLoopWatch.h"
#include "FigureTable.h"
#include "HarnessArgs.h"
#include "HarnessMain.h"
#include "LinkState.h"
#include "LoadWindow.h"
#include "ProcessCounters.h"
#include "SimulatorRunner.h"
#include "app/VarloApplication.h"
#include "links/JvHidControllerClass.h"
#include "links/UsbDeviceList.h"
#include "platform/HidFakeBackend.h"

namespace {

using namespace varlo::load;
using varlo::HidFakeBackend;

// Generous: a loaded machine may be slow, a hang is far longer.
constexpr std::chrono::seconds kDeadline(20);

// A pull whose outcome was not the expected one ends the run: what follows
// would start from a wrong state.
struct Miss : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Expect(const std::function<bool()>& done, const std::function<std::string()>& what) {
    if (!ServeUntil(done, kDeadline)) throw Miss(what());
}

void ExpectState(LoadWindow& w, const std::string& state, const std::string& when) {
    const std::string now = LinkSummary(w.Window());
    if (now != state) throw Miss(when + ": the link shows \"" + now + "\", not \"" + state + "\"");
}

void ExpectIndicator(LoadWindow& w, const std::string& shown, const std::string& when) {
    Expect([&] { return Indicator(w.Window()) == shown; },
           [&] { return when + ": the indicator stays " + Indicator(w.Window()); });
}

void ExpectNoBox(LoadWindow& w, const std::string& when) {
    if (w.dialogs.Count() != 0) throw Miss(when + ": a message box: " + w.dialogs.Describe());
}

// The scripted cable: one reading in two reports, then an idle report, sent
// again and again, one report every few milliseconds.
HidFakeBackend::Device Cable() {
    HidFakeBackend::Device cable;
    cable.vendorId = 0x1A86;
    cable.productId = 0xE008;
    cable.versionNumber = 0x0100;
    cable.product = u"USB to Serial";
    cable.languages = std::u16string(1, char16_t{0x0409});
    cable.reports.feature = 6;
    return cable;
}

std::shared_ptr<HidFakeBackend> StreamingCable() {
    auto fake = std::make_shared<HidFakeBackend>();
    fake->Plug("cable", Cable());
    fake->QueueReport("cable", {0x00, 0xF7, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x3B});
    fake->QueueReport("cable", {0x00, 0xF7, 0x30, 0x30, 0x30, 0x3A, 0x30, 0x0D, 0x0A});
    fake->QueueReport("cable", {0x00, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    fake->SetRepeat("cable", HidFakeBackend::Repeat::All);
    fake->SetReportInterval("cable", 3);
    return fake;
}

std::uint64_t Decoded(LoadWindow& w) {
    return w.Session().Decoder().DecodedCount();
}

// Waits until readings come again: more decoded than `before`, and the
// indicator lit.
void ExpectReadings(LoadWindow& w, std::uint64_t before, const std::string& when) {
    Expect([&] { return Decoded(w) > before + 2; },
           [&] { return when + ": no readings came (" + std::to_string(Decoded(w)) + ")"; });
    ExpectIndicator(w, "lit", when);
}

// What a phase measured: descriptors and threads with reception running
// after the first pull and after the last.
struct Phase {
    int pulls = 0;
    ProcessCounts before, after;
    double seconds = 0;
};

class SerialPulls {
  public:
    SerialPulls(LoadWindow& w, const std::string& link) : w_(w), link_(link) {}

    Phase Run(int pulls) {
        StartSimulator();
        w_.Click("COMCon");
        ExpectState(w_, kSerialState, "COM Connect");
        ExpectReadings(w_, 0, "COM Connect");
        Phase phase;
        phase.pulls = pulls;
        Pull("the first serial pull");  // what the window opens once is not a leak
        phase.before = CountProcess();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 1; i <= pulls; ++i) Pull("serial pull " + std::to_string(i));
        phase.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        phase.after = CountProcess();
        w_.Click("COMCon");
        ExpectState(w_, kIdleAfterSerialState, "COM Connect released");
        StopSimulator();
        return phase;
    }

    std::uint64_t FramesSent() const { return framesSent_; }

  private:
    void StartSimulator() {
        const std::string terminal = sim_.StartOnTerminal({"--scenario", "tour", "--rate", "line"});
        // Repointed in one step: whoever opens the link meanwhile finds the
        // old terminal or the new one, never none.
        const std::string next = link_ + ".next";
        std::filesystem::remove(next);
        std::filesystem::create_symlink(terminal, next);
        std::filesystem::rename(next, link_);
    }

    void StopSimulator() {
        sim_.Stop();
        if (const auto summary = sim_.Summary()) framesSent_ += summary->sentFrames;
    }

    void Pull(const std::string& when) {
        StopSimulator();
        ExpectIndicator(w_, "dark", when);
        ExpectState(w_, kSerialState, when);
        StartSimulator();
        const std::uint64_t before = Decoded(w_);
        w_.Click("COMCon");
        ExpectState(w_, kIdleAfterSerialState, when + ", COM Connect released");
        w_.Click("COMCon");
        ExpectState(w_, kSerialState, when + ", COM Connect pressed again");
        ExpectReadings(w_, before, when + ", COM Connect pressed again");
        ExpectNoBox(w_, when);
    }

    LoadWindow& w_;
    std::string link_;
    SimulatorRunner sim_{VARLO_CLI_PATH};
    std::uint64_t framesSent_ = 0;
};

class UsbPulls {
  public:
    // `serialClosedBefore`: the serial link was open and closed before.
    UsbPulls(LoadWindow& w, HidFakeBackend& fake, bool serialClosedBefore)
        : w_(w),
          fake_(fake),
          usbState_(serialClosedBefore ? AfterSerialClosed(kUsbState) : kUsbState),
          idleState_(serialClosedBefore ? AfterSerialClosed(kIdleAfterUsbState)
                                        : kIdleAfterUsbState) {}

    Phase Run(int pulls) {
        w_.Click("USBCon");
        ExpectState(w_, usbState_, "USB Connect");
        ExpectReadings(w_, 0, "USB Connect");
        Phase phase;
        phase.pulls = pulls;
        Pull("the first USB pull");
        phase.before = CountProcess();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 1; i <= pulls; ++i) Pull("USB pull " + std::to_string(i));
        phase.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        phase.after = CountProcess();
        w_.Click("USBCon");
        ExpectState(w_, idleState_, "USB Disconnect");
        return phase;
    }

  private:
    bool Reading() {
        const varlo::TJvHidDevice* cable = w_.Window().Usb().SelectedDevice();
        return cable != nullptr && cable->Reader() != nullptr && !cable->Reader()->Finished();
    }

    void Pull(const std::string& when) {
        fake_.Unplug("cable");
        fake_.NotifyChange();
        ExpectState(w_, usbState_, when + ", unplugged");
        ExpectIndicator(w_, "dark", when + ", unplugged");
        fake_.Plug("cable", Cable());
        fake_.NotifyChange();
        // Listed and selected again, but not read until the user says so.
        if (w_.Window().Usb().SelectedDevice() == nullptr) {
            throw Miss(when + ": the cable plugged in again is not selected");
        }
        if (Reading()) throw Miss(when + ": the cable is read without a click");
        ExpectState(w_, usbState_, when + ", plugged in again");
        const std::uint64_t before = Decoded(w_);
        w_.Click("USBCon");
        ExpectState(w_, idleState_, when + ", USB Disconnect clicked");
        w_.Click("USBCon");
        ExpectState(w_, usbState_, when + ", USB Connect clicked");
        ExpectReadings(w_, before, when + ", USB Connect clicked");
        ExpectNoBox(w_, when);
    }

    LoadWindow& w_;
    HidFakeBackend& fake_;
    const std::string usbState_;
    const std::string idleState_;
};

void AddPhase(FigureTable& figures, const char* name, const Phase& p) {
    const std::string n = name;
    figures.Info(n + " pulls", p.pulls, "%.0f");
    figures.Info("  seconds a pull, on average", p.pulls > 0 ? p.seconds / p.pulls : 0, "%.2f");
    figures.Info("  descriptors before", p.before.descriptors, "%.0f");
    figures.Exactly("  descriptors after", p.after.descriptors, "%.0f", p.before.descriptors);
    figures.Info("  threads before", p.before.threads, "%.0f");
    figures.Exactly("  threads after", p.after.threads, "%.0f", p.before.threads);
}

int Run(const HarnessArgs& args) {
    const int serial = static_cast<int>(args.Number("serial"));
    const int usb = static_cast<int>(args.Number("usb"));
    QTemporaryDir folder;
    if (!folder.isValid()) throw std::runtime_error("no temporary folder");
    const std::string link = folder.filePath(QStringLiteral("COM1")).toStdString();
    qputenv("VARLO_COM1", QByteArray::fromStdString(link));
    const auto fake = StreamingCable();

    LoadWindow w(fake);
    w.Show();
    EventLoopWatch watch;
    watch.Start();
    std::printf("pulls: %d serial (COM1 = %s), %d USB\n", serial, link.c_str(), usb);
    std::fflush(stdout);

    FigureTable figures;
    Phase serialPhase, usbPhase;
    std::string missed;
    std::uint64_t framesSent = 0;
    try {
        SerialPulls serialPulls(w, link);
        serialPhase = serialPulls.Run(serial);
        framesSent = serialPulls.FramesSent();
        usbPhase = UsbPulls(w, *fake, true).Run(usb);
    } catch (const Miss& miss) {
        missed = miss.what();
    }
    watch.Stop();
    figures.Check(missed.empty(), missed);
    AddPhase(figures, "serial", serialPhase);
    figures.Info("  frames the simulators sent", static_cast<double>(framesSent), "%.0f");
    AddPhase(figures, "USB", usbPhase);
    figures.Info("readings decoded in all", static_cast<double>(Decoded(w)), "%.0f");
    figures.Exactly("message boxes", static_cast<double>(w.dialogs.Count()), "%.0f", 0);
    figures.Info("longest event-loop gap (ms)", watch.LongestGapMs(), "%.1f");
    const bool met = figures.Print();
    if (w.dialogs.Count() > 0) std::printf("the boxes:\n%s", w.dialogs.Describe().c_str());
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    return varlo::load::HarnessMain(argc, argv, "varlo-pulls", {{"serial", "100"}, {"usb", "100"}},
                                    "[--serial N] [--usb N]", Run);
}
