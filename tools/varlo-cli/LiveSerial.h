#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "CliSupport.h"
#include "StopSignals.h"
#include "decode/FrameAssembler.h"
#include "decode/MeterDecoder.h"

namespace varlo::cli {

// The options of a live serial source: --port DEVICE|COMn, --count N,
// --seconds S, --capture FILE.
struct LiveSerialOptions {
    std::optional<std::string> port;
    std::optional<std::uint64_t> count;
    std::optional<double> seconds;
    std::optional<std::string> capture;
};

// Takes `arg` (and its value) when it is one of the live options.
bool TakeLiveSerialOption(const std::string& arg, ArgCursor& cursor, LiveSerialOptions& options);
// Refuses --count, --seconds and --capture without --port.
void CheckLiveSerialOptions(const LiveSerialOptions& options);

// The usage lines of the live options, for a command's usage text.
#define VARLO_LIVE_SERIAL_USAGE                                                    \
    "  --port DEVICE|COMn read the meter live from a serial device (19200 7O1,\n"  \
    "                     polled every 50 ms) until Ctrl-C, SIGTERM or a closed\n" \
    "                     output; COMn is VARLO_COMn or the n-th serial device\n"  \
    "  --count N          with --port: stop after N decoded frames\n"              \
    "  --seconds S        with --port: stop after S seconds\n"                     \
    "  --capture FILE     with --port: also write every received byte to FILE\n"

// Connects to the port as the window's COM Connect does and reads it
// through the serial driver, polled every 50 ms on the real clock, handing
// every block to `deliver` (the receive handler in force, which feeds
// `assembler`), until SIGINT or SIGTERM, RequestLiveStop, `framesDone()`
// reaching --count, --seconds, or the device going away; `afterTick`, when
// given, runs after every poll (to flush what the tick printed in one
// write); `started`, once the port is open, before the first poll (to print
// a header only for a run that reads). Returns 0; 1 when the device went
// away ("DEVICE: device disconnected" on standard error) or the capture
// could not be written; 2 after one line on standard error when the port or
// the capture file cannot be opened.
int RunLiveSerial(const LiveSerialOptions& options, const char* command, FrameAssembler& assembler,
                  LinkIndicator& indicator, LcdPanel& panel,
                  const std::function<void(const std::uint8_t*, std::size_t)>& deliver,
                  const std::function<std::uint64_t()>& framesDone,
                  const std::function<void()>& afterTick = nullptr,
                  const std::function<void()>& started = nullptr);

}  // namespace varlo::cli
