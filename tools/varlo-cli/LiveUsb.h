#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CliSupport.h"

namespace varlo::cli {

// The options of the live USB source: --usb, --count N, --seconds S,
// --capture FILE.
struct LiveUsbOptions {
    bool usb = false;
    std::optional<std::uint64_t> count;
    std::optional<double> seconds;
    std::optional<std::string> capture;
};

// Takes `arg` (and its value) when it is one of the live USB options.
bool TakeLiveUsbOption(const std::string& arg, ArgCursor& cursor, LiveUsbOptions& options);
// Refuses --count, --seconds and --capture without --usb.
void CheckLiveUsbOptions(const LiveUsbOptions& options);

#define VARLO_LIVE_USB_USAGE                                                        \
    "  --usb              read the meter live from its USB cable (the HID device\n" \
    "                     \"USB to Serial\") until Ctrl-C, SIGTERM or a closed\n"   \
    "                     output; VARLO_HID_FAKE names a device script instead\n"   \
    "  --count N          stop after N decoded frames\n"                            \
    "  --seconds S        stop after S seconds\n"                                   \
    "  --capture FILE     also write every report to FILE (--hid-reports text)\n"

// Seconds without any report, or without data reports, after which the run
// says what is likely wrong.
inline constexpr int kUsbQuietSeconds = 5;

// What a command does around the live reports; every hook is optional.
struct LiveUsbHooks {
    // Frames decoded so far, for --count.
    std::function<std::uint64_t()> framesDone;
    // True when the run should end now (a closed output, for one).
    std::function<bool()> stopNow;
    // After each report has been handed to the assembler.
    std::function<void()> afterReport;
    // About every 20 ms while the run waits for reports.
    std::function<void()> onTick;
};

// Finds the cable as the window does, sends it the feature report and hands
// every input report it sends to the assembler's HidKestoData, until SIGINT
// or SIGTERM, --count frames, --seconds, or `stopNow()`. Returns 0; or 2
// after a message on standard error when there is no cable, no access to
// it, or no HID service.
int RunLiveUsb(const LiveUsbOptions& options, const char* command, FrameAssembler& assembler,
               const LiveUsbHooks& hooks);

// The live USB options among the extra options a command's parser kept
// (name, value); throws UsageError.
LiveUsbOptions LiveUsbOptionsFrom(const std::vector<std::pair<std::string, std::string>>& extra);

}  // namespace varlo::cli
