#include "LiveSerial.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "LiveCapture.h"
#include "LiveLink.h"
#include "StopSignals.h"
#include "links/ComDrv32.h"
#include "platform/LinuxSerialPort.h"
#include "platform/PortNames.h"

namespace varlo::cli {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

bool TakeLiveSerialOption(const std::string& arg, ArgCursor& cursor, LiveSerialOptions& options) {
    if (arg == "--port") {
        options.port = cursor.Value(arg);
        if (options.port->empty()) throw UsageError("option --port needs a device");
    } else if (arg == "--count") {
        options.count = static_cast<std::uint64_t>(
            ParseIntegerOption(arg, cursor.Value(arg), 1, 1'000'000'000'000LL));
    } else if (arg == "--seconds") {
        const double s = ParseNumberOption(arg, cursor.Value(arg));
        if (s <= 0 || s > 1e9)
            throw UsageError("option --seconds: must be more than 0 and at most 1e9");
        options.seconds = s;
    } else if (arg == "--capture") {
        options.capture = cursor.Value(arg);
        if (options.capture->empty()) throw UsageError("option --capture needs a file");
    } else {
        return false;
    }
    return true;
}

void CheckLiveSerialOptions(const LiveSerialOptions& options) {
    if (options.port) return;
    if (options.count) throw UsageError("option --count goes with --port or --usb");
    if (options.seconds) throw UsageError("option --seconds goes with --port or --usb");
    if (options.capture) throw UsageError("option --capture goes with --port or --usb");
}

namespace {

// The line for a port that cannot be opened. A port given by its device path
// (or as COMn beyond COM4) is named by the path.
std::string OpenFailureLine(const SerialOpenError& error, bool numbered, const std::string& name) {
    if (numbered) return error.message;
    if (error.device.empty()) return name + ": no such device";
    return DescribeOpenFailure(error.device, error.device, error.osError).message;
}

}  // namespace

int RunLiveSerial(const LiveSerialOptions& options, const char* command, FrameAssembler& assembler,
                  LinkIndicator& indicator, LcdPanel& panel,
                  const std::function<void(const std::uint8_t*, std::size_t)>& deliver,
                  const std::function<std::uint64_t()>& framesDone,
                  const std::function<void()>& afterTick, const std::function<void()>& started) {
    // Stop requests and a closed output are taken from here on.
    StopSignals stopSignals;
    LiveLink link(assembler, indicator, panel, nullptr);
    TCommPortDriver& driver = link.COMM2();
    Connection& connection = link.Link();
    // "COM1".."COM4" are chosen as the window's port menu does; any other
    // name is opened as it is.
    const std::string& name = *options.port;
    const int index = ComPortIndex(name);
    const bool numbered = index >= 1 && index <= 4;
    if (numbered) {
        void (Connection::*const choose[])() = {&Connection::COM11Click, &Connection::COM21Click,
                                                &Connection::COM31Click, &Connection::COM41Click};
        (connection.*choose[index - 1])();
    } else {
        driver.SetDevicePath(name);
    }

    LiveCapture capture(command);
    driver.SetOnReceiveData([&](void*, const std::uint8_t* data, std::uint32_t size) {
        capture.Write(data, size);
        if (!options.count) {
            deliver(data, size);
            return;
        }
        // With --count, byte by byte, so that the frames after the last one
        // asked for in the same block are not taken.
        for (std::uint32_t i = 0; i < size && framesDone() < *options.count; ++i) {
            deliver(data + i, 1);
        }
    });
    std::optional<std::string> lost;
    connection.SetOnDeviceLost([&](const std::string& device) { lost = device; });

    connection.ClickCOMCon();
    if (!driver.Connected()) {
        std::fprintf(stderr, "varlo-cli %s: %s\n", command,
                     OpenFailureLine(driver.LastConnectError(), numbered, name).c_str());
        return 2;
    }
    // The capture file is opened only for a run that reads, so a failed
    // run leaves an earlier capture as it was.
    if (options.capture && !capture.Open(*options.capture)) {
        connection.ClickCOMCon();
        return 2;
    }
    if (started) started();

    const auto start = Clock::now();
    const auto end = options.seconds ? start + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(*options.seconds))
                                     : Clock::time_point::max();
    const auto period = std::chrono::milliseconds(driver.ComPortPollingDelay());
    auto next = start + period;
    auto done = [&] {
        return StopSignals::Requested() || (options.count && framesDone() >= *options.count) ||
               Clock::now() >= end || lost;
    };
    while (!done()) {
        // One sleep per tick; a signal cuts it short (sleeps are never
        // restarted after a handler).
        const auto wake = std::min(next, end);
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(wake.time_since_epoch()).count();
        timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
        if (StopSignals::Requested() || Clock::now() >= end) break;
        link.Poll();
        if (afterTick) afterTick();
        // Ticks that fall due while a tick runs are merged, not queued.
        next += period;
        if (next < Clock::now()) next = Clock::now() + period;
    }
    if (lost) PrintDeviceDisconnected(command, *lost);
    connection.ClickCOMCon();
    capture.Close();
    return lost || capture.Failed() ? 1 : 0;
}

}  // namespace varlo::cli
