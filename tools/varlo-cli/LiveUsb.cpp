#include "LiveUsb.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "LiveCapture.h"
#include "LiveLink.h"
#include "StopSignals.h"
#include "common/VarloError.h"
#include "links/JvHidControllerClass.h"
#include "links/UsbDeviceList.h"
#include "platform/HidReportText.h"

namespace varlo::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The reader threads hand their reports to the thread that runs a Qt event
// loop; a command that has none gets one here. Qt sets the C library's
// locale from the environment; the command's own number formatting must not
// change with it.
class EventLoopHost {
  public:
    EventLoopHost() {
        if (QCoreApplication::instance()) return;
        const std::string locale = std::setlocale(LC_ALL, nullptr);
        app_.emplace(argc_, argv_);
        std::setlocale(LC_ALL, locale.c_str());
    }

  private:
    int argc_ = 1;
    char name_[10] = "varlo-cli";
    char* argv_[2] = {name_, nullptr};
    std::optional<QCoreApplication> app_;
};

std::string DeviceListText(UsbDeviceList& list) {
    std::string text;
    for (const auto& line : list.DevListBox().Lines()) {
        if (!text.empty()) text += "; ";
        text += line;
    }
    return text.empty() ? "none" : text;
}

}  // namespace

void CheckLiveSources(const LiveSerialOptions& live, bool usb, bool haveInput) {
    if (!usb) {
        CheckLiveSerialOptions(live);
        return;
    }
    if (live.port) throw UsageError("--usb and --port are two sources: give one");
    if (haveInput) throw UsageError("--usb reads the meter in place of an input");
}

int RunLiveUsb(const LiveSerialOptions& options, const char* command, FrameAssembler& assembler,
               LinkIndicator& indicator, LcdPanel& panel, const LiveUsbHooks& hooks) {
    auto framesDone = [&]() -> std::uint64_t { return hooks.framesDone ? hooks.framesDone() : 0; };
    auto stopNow = [&] { return hooks.stopNow && hooks.stopNow(); };
    EventLoopHost host;
    std::shared_ptr<HidBackend> backend;
    try {
        backend = CreateHidBackend();
    } catch (const VarloError& error) {
        std::fprintf(stderr, "varlo-cli %s: %s\n", command, error.what());
        return 2;
    }
    if (!backend) {
        std::fprintf(stderr, "varlo-cli %s: the HID services (udev) are not available\n", command);
        return 2;
    }

    // What USB Connect attaches to the cable; set once the run is ready.
    UsbDeviceList::ReportHandler onReport;
    LiveLink link(
        assembler, indicator, panel,
        [&onReport](std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
            onReport(id, data, size);
        },
        backend);
    UsbDeviceList& list = link.Usb();
    Connection& connection = link.Link();

    TJvHidDevice* cable = list.SelectedDevice();
    if (!cable) {
        std::fprintf(stderr, "varlo-cli %s: no USB cable \"%s\" found; HID devices seen: %s\n",
                     command, UsbDeviceList::kCableDescription, DeviceListText(list).c_str());
        return 2;
    }
    if (!cable->ReadWriteAccess()) {
        std::fprintf(stderr,
                     "varlo-cli %s: the USB cable %s cannot be opened for reading and writing; "
                     "install the udev rule 70-varlo-usb-cable.rules (see README), then plug the "
                     "cable in again\n",
                     command, cable->PnPInfo().DevicePath.c_str());
        return 2;
    }
    const std::string cablePath = cable->PnPInfo().DevicePath;

    // The capture file is opened only for a run that reads, so a failed
    // run leaves an earlier capture as it was.
    LiveCapture capture(command);
    if (options.capture && !capture.Open(*options.capture)) return 2;

    // Quiet times count from the start of reading.
    auto lastReport = Clock::now();
    auto lastData = lastReport;
    bool anyReport = false;
    std::uint32_t lastError = 0;
    QEventLoop loop;
    bool finished = false;
    std::optional<std::string> lost;
    onReport = [&](std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
        if (finished) return;  // reports after the last frame asked for
        const auto now = Clock::now();
        if (options.capture) {
            const std::string line = FormatHidReportText(id, data, size) + "\n";
            capture.Write(line.data(), line.size());
        }
        assembler.HidKestoData(id, data, size);
        anyReport = true;
        lastReport = now;
        if (assembler.IdleReportCount() == 0) lastData = now;
        lastError = 0;
        if (hooks.afterReport) hooks.afterReport();
        if (options.count && framesDone() >= *options.count) {
            finished = true;
            loop.quit();
        }
    };
    connection.SetOnUsbReadError([&](std::uint32_t code) {
        if (code == lastError) return;
        lastError = code;
        std::fprintf(stderr, "varlo-cli %s: USB read error: %s (%X)\n", command,
                     HidErrorText(code).c_str(), code);
    });
    connection.SetOnDeviceLost([&](const std::string& device) {
        lost = device;
        loop.quit();
    });
    if (hooks.started) hooks.started();
    connection.ClickUSBCon();

    StopSignals stopSignals;

    const auto start = Clock::now();
    const auto end = options.seconds ? start + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(*options.seconds))
                                     : Clock::time_point::max();
    const auto quiet = std::chrono::seconds(kUsbQuietSeconds);
    bool warnedSilent = false, warnedIdle = false;

    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (hooks.onTick) hooks.onTick();
        const auto now = Clock::now();
        if (StopSignals::Requested() || stopNow() ||
            (options.count && framesDone() >= *options.count) || now >= end || lost) {
            loop.quit();
            return;
        }
        if (connection.Controls().USBConDown && !list.CurrentHidDevice()) {
            // The device list was rebuilt after a plug or unplug elsewhere,
            // which stops reception; the cable is still there (a cable that
            // has gone ends the run): take it again, as the user would with
            // two clicks.
            connection.ClickUSBCon();
            connection.ClickUSBCon();
            if (!connection.Controls().USBConDown) {
                lost = cablePath;
                loop.quit();
                return;
            }
            std::fprintf(stderr, "varlo-cli %s: reading the USB cable again\n", command);
            lastReport = lastData = now;
            return;
        }
        const auto sinceReport = now - (anyReport ? lastReport : std::max(start, lastReport));
        if (sinceReport >= quiet) {
            if (!warnedSilent) {
                std::fprintf(
                    stderr,
                    "varlo-cli %s: no reports from the USB cable for %d seconds; some cables send "
                    "nothing until their USB device has been suspended and resumed once after "
                    "plug-in: the udev rule 70-varlo-usb-cable.rules sets that up (see README), or "
                    "plug the cable in again\n",
                    command, kUsbQuietSeconds);
                warnedSilent = true;
            }
        } else {
            warnedSilent = false;
            if (anyReport && now - lastData >= quiet) {
                if (!warnedIdle) {
                    std::fprintf(stderr,
                                 "varlo-cli %s: the USB cable sends only idle reports (%d seconds "
                                 "without data): switch the meter's data output on\n",
                                 command, kUsbQuietSeconds);
                    warnedIdle = true;
                }
            } else {
                warnedIdle = false;
            }
        }
    });
    tick.start(20);
    if (!finished && !lost) loop.exec();

    if (lost) PrintDeviceDisconnected(command, *lost);
    // Disconnect as USB Disconnect does; a cable that has left the list only
    // needs its reader stopped.
    if (connection.Controls().USBConDown && list.SelectedDevice()) {
        connection.ClickUSBCon();
    } else if (TJvHidDevice* device = list.CurrentHidDevice()) {
        device->SetOnData(nullptr);
    }
    // Reports still handed over while the link is taken down find nothing
    // of this run.
    onReport = [](std::uint8_t, const std::uint8_t*, std::uint16_t) {};
    capture.Close();
    return lost || capture.Failed() ? 1 : 0;
}

}  // namespace varlo::cli
