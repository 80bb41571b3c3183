#include "LiveSerial.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

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

int RunLiveSerial(const LiveSerialOptions& options, const char* command,
                  const std::function<void(const std::uint8_t*, std::size_t)>& deliver,
                  const std::function<std::uint64_t()>& framesDone,
                  const std::function<void()>& afterTick, const std::function<void()>& started) {
    // Stop requests and a closed output are taken from here on.
    StopSignals stopSignals;
    // "COM1".."COM4" are the driver's own ports; any other name is opened
    // as COM1 with that device behind it.
    const std::string& name = *options.port;
    const int index = ComPortIndex(name);
    std::optional<std::string> device;
    if (index == 0 || index > 4) {
        device = ResolvePortName(name, SerialDeviceFolders{}, ProcessEnvironment());
        if (!device) {
            std::fprintf(stderr, "varlo-cli %s: %s: no such device\n", command, name.c_str());
            return 2;
        }
    }
    const EnvironmentLookup processEnvironment = ProcessEnvironment();
    LinuxSerialPortSystem ports(SerialDeviceFolders{},
                                [&](const std::string& variable) -> std::optional<std::string> {
                                    if (device && variable == "VARLO_COM1") return device;
                                    return processEnvironment(variable);
                                });
    auto timer = std::make_unique<ManualTimer>();
    ManualTimer& poll = *timer;
    TCommPortDriver driver(ports, std::move(timer));
    driver.SetComPort(device ? pnCOM1 : static_cast<TComPortNumber>(index - 1));
    driver.SetComPortSpeed(br19200);
    driver.SetComPortDataBits(db7BITS);
    driver.SetComPortParity(ptODD);

    std::FILE* capture = nullptr;
    driver.SetOnReceiveData([&](void*, const std::uint8_t* data, std::uint32_t size) {
        if (capture != nullptr) {
            std::fwrite(data, 1, size, capture);
            std::fflush(capture);
        }
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
    if (!driver.Connect()) {
        SerialOpenError error = driver.LastConnectError();
        if (device && error.osError != 0) {
            // Named by its path, not by the port it stands in for.
            error = DescribeOpenFailure(*device, *device, error.osError);
        }
        std::fprintf(stderr, "varlo-cli %s: %s\n", command, error.message.c_str());
        return 2;
    }
    // The capture file is opened only for a run that reads, so a failed
    // run leaves an earlier capture as it was.
    if (options.capture) {
        capture = std::fopen(options.capture->c_str(), "wb");
        if (capture == nullptr) {
            std::fprintf(stderr, "varlo-cli %s: cannot write %s: %s\n", command,
                         options.capture->c_str(), std::strerror(errno));
            driver.Disconnect();
            return 2;
        }
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
               Clock::now() >= end;
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
        poll.tick();
        if (afterTick) afterTick();
        // Ticks that fall due while a tick runs are merged, not queued.
        next += period;
        if (next < Clock::now()) next = Clock::now() + period;
    }
    driver.Disconnect();
    if (capture != nullptr) std::fclose(capture);
    return 0;
}

}  // namespace varlo::cli
