#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CliSupport.h"
#include "LiveSerial.h"

namespace varlo::cli {

#define VARLO_LIVE_USB_USAGE                                                        \
    "  --usb              read the meter live from its USB cable (the HID device\n" \
    "                     \"USB to Serial\") until Ctrl-C, SIGTERM or a closed\n"   \
    "                     output; VARLO_HID_FAKE names a device script instead;\n"  \
    "                     --count, --seconds and --capture go with it as with\n"    \
    "                     --port, --capture writing the reports as --hid-reports\n" \
    "                     text\n"

// Checks the live options of a command that has --usb as well as --port:
// with --usb, the live options go with it, and neither a port nor an input
// may be given; without it, as for the serial source. Throws UsageError.
void CheckLiveSources(const LiveSerialOptions& live, bool usb, bool haveInput);

// Seconds without any report, or without data reports, after which the run
// says what is likely wrong.
inline constexpr int kUsbQuietSeconds = 5;

// What a command does around the live reports; every hook is optional.
struct LiveUsbHooks {
    // Once the cable is found and opened, before its first report.
    std::function<void()> started;
    // Frames decoded so far, for --count.
    std::function<std::uint64_t()> framesDone;
    // True when the run should end now (a closed output, for one).
    std::function<bool()> stopNow;
    // After each report has been handed to the assembler.
    std::function<void()> afterReport;
    // About every 20 ms while the run waits for reports.
    std::function<void()> onTick;
};

// Finds the cable as the window does, connects to it as the window's USB
// Connect does (the feature report, then its reports to the assembler's
// HidKestoData), until SIGINT or SIGTERM, --count frames, --seconds,
// `stopNow()`, or the cable going away. The options are the live options of
// the serial source; the port is not used. Returns 0; 1 when the cable went
// away ("DEVICE: device disconnected" on standard error) or the capture could
// not be written; or 2 after a message on standard error when there is no
// cable, no access to it, or no HID service.
int RunLiveUsb(const LiveSerialOptions& options, const char* command, FrameAssembler& assembler,
               LinkIndicator& indicator, LcdPanel& panel, const LiveUsbHooks& hooks);

}  // namespace varlo::cli
