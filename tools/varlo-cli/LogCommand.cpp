// varlo-cli log: records a meter stream into the reading log by the window's
// rules and prints the log.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "Command.h"
#include "LiveSerial.h"
#include "LiveUsb.h"
#include "LogSetup.h"
#include "SimulatedClock.h"
#include "common/VarloError.h"
#include "recording/LocalClock.h"
#include "recording/TableTextFormat.h"

namespace varlo::cli {
namespace {

// Moves the simulated clock one frame on and runs the sampling ticks that
// fall due up to that frame first.
class ReplayClock {
  public:
    ReplayClock(SimulatedClock& clock, std::int64_t startMs, std::int64_t periodMs)
        : clock_(clock), startMs_(startMs), periodMs_(periodMs) {
        clock_.SetMs(startMs);
    }
    template <typename Tick>
    void NextFrame(Tick&& tick) {
        const std::int64_t at = startMs_ + frames_ * periodMs_;
        if (frames_ > 0) {
            while (nextTickMs_ <= at) {
                clock_.SetMs(nextTickMs_);
                tick();
                nextTickMs_ += 1000;
            }
        } else {
            nextTickMs_ = at + 1000;
        }
        clock_.SetMs(at);
        ++frames_;
    }

  private:
    SimulatedClock& clock_;
    std::int64_t startMs_;
    std::int64_t periodMs_;
    std::int64_t frames_ = 0;
    std::int64_t nextTickMs_ = 0;
};

// The live options among the parsed ones; throws UsageError when they do
// not fit with the rest.
bool UsbRequested(const LogOptions& options) {
    for (const auto& extra : options.extra) {
        if (extra.first == "--usb") return true;
    }
    return false;
}

LiveSerialOptions TakeLiveOptions(const LogOptions& options, const std::vector<std::string>& args) {
    LiveSerialOptions live;
    for (const auto& [name, value] : options.extra) {
        const std::vector<std::string> valueArg = {value};
        ArgCursor cursor(valueArg);
        TakeLiveSerialOption(name, cursor, live);
    }
    const bool usb = UsbRequested(options);
    CheckLiveSources(live, usb, !options.input.empty() || options.hidReports);
    if (live.port || usb) {
        if (!options.input.empty() || options.hidReports) {
            throw UsageError("--port reads the meter in place of an input");
        }
        for (const std::string& arg : args) {
            if (arg == "--start" || arg == "--period" || arg == "--chunk") {
                throw UsageError("option " + arg + " is for recorded input, not " +
                                 (usb ? "--usb" : "--port"));
            }
        }
    }
    return live;
}

// Records the USB cable on the real clock: the header first, then each row
// as it is recorded.
int RunUsbLog(const LogOptions& options, const LiveSerialOptions& live) {
    const std::unique_ptr<LocaleSource> locale = MakeLocale(options.decimalSep);
    SystemLocalClock clock;
    StderrDialogs dialogs;
    MeterSession session(*locale, clock, dialogs);
    try {
        ApplyLogOptions(options, session);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "varlo-cli log: %s\n\n%s", error.what(), kLogUsage);
        return 2;
    }
    session.assembler.SetErrorReport([&](const std::string& text) { dialogs.ShowError(text); });

    bool outputClosed = false;
    auto write = [&](const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0) outputClosed = true;
    };
    write(FormatTableHeader());
    std::size_t printed = 0;
    auto printNewRows = [&] {
        // A new record (New on a change of mode) empties the log: its rows
        // are printed from the first again.
        if (session.log.RowCount() < printed) printed = 0;
        std::string rows;
        while (printed < session.log.RowCount()) AppendTableRow(session.log, printed++, rows);
        if (!rows.empty()) write(rows);
    };
    using Clock = std::chrono::steady_clock;
    auto nextRecordTick = Clock::now() + std::chrono::seconds(1);
    LiveUsbHooks hooks;
    hooks.framesDone = [&] { return session.decoder.DecodedCount(); };
    hooks.stopNow = [&] { return outputClosed; };
    hooks.afterReport = printNewRows;
    hooks.onTick = [&] {
        // The sampling countdown's 1000 ms ticks, on the same clock.
        while (Clock::now() >= nextRecordTick) {
            session.TrecordTimer();
            nextRecordTick += std::chrono::seconds(1);
        }
        printNewRows();
    };
    const int status = RunLiveUsb(live, "log", session.assembler, hooks);
    if (status != 0) return status;
    printNewRows();
    std::fprintf(stderr, "%s\n", LogSummary(session).c_str());
    if (options.chart) std::fprintf(stderr, "%s\n", ChartSummary(session).c_str());
    return 0;
}

// Records the live port on the real clock: the header first, then each row
// as it is recorded, flushed after every poll.
int RunLiveLog(const LogOptions& options, const LiveSerialOptions& live) {
    const std::unique_ptr<LocaleSource> locale = MakeLocale(options.decimalSep);
    SystemLocalClock clock;
    StderrDialogs dialogs;
    MeterSession session(*locale, clock, dialogs);
    try {
        ApplyLogOptions(options, session);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "varlo-cli log: %s\n\n%s", error.what(), kLogUsage);
        return 2;
    }
    session.assembler.SetErrorReport([&](const std::string& text) { dialogs.ShowError(text); });

    std::string out = FormatTableHeader();
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::size_t printed = 0;
    using Clock = std::chrono::steady_clock;
    auto nextRecordTick = Clock::now() + std::chrono::seconds(1);
    const int status = RunLiveSerial(
        live, "log",
        [&](const std::uint8_t* data, std::size_t size) { session.OnSerialData(data, size); },
        [&] { return session.decoder.DecodedCount(); },
        [&] {
            // The sampling countdown's 1000 ms ticks, on the same clock.
            while (Clock::now() >= nextRecordTick) {
                session.TrecordTimer();
                nextRecordTick += std::chrono::seconds(1);
            }
            if (session.log.RowCount() == printed) {
                return;
            }
            out.clear();
            for (; printed < session.log.RowCount(); ++printed) {
                AppendTableRow(session.log, printed, out);
            }
            std::fwrite(out.data(), 1, out.size(), stdout);
            if (std::fflush(stdout) != 0) {
                RequestLiveStop();
            }
        });
    if (status != 0) {
        return status;
    }
    std::fprintf(stderr, "%s\n", LogSummary(session).c_str());
    if (options.chart) {
        std::fprintf(stderr, "%s\n", ChartSummary(session).c_str());
    }
    return 0;
}

int RunLog(const std::vector<std::string>& args) {
    LogOptions options;
    LiveSerialOptions live;
    try {
        options =
            ParseLogOptions(args, {"--port", "--count", "--seconds", "--capture"}, {"--usb"});
        live = TakeLiveOptions(options, args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "varlo-cli log: %s\n\n%s", error.what(), kLogUsage);
        return 2;
    }
    if (live.port) {
        return RunLiveLog(options, live);
    }
    if (UsbRequested(options)) return RunUsbLog(options, live);
    std::unique_ptr<InputFile> input;
    try {
        input = std::make_unique<InputFile>(options.input);
    } catch (const InputError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }

    const std::unique_ptr<LocaleSource> locale = MakeLocale(options.decimalSep);
    SimulatedClock clock;
    StderrDialogs dialogs;
    MeterSession session(*locale, clock, dialogs);
    try {
        ApplyLogOptions(options, session);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "varlo-cli log: %s\n\n%s", error.what(), kLogUsage);
        return 2;
    }
    session.assembler.SetErrorReport([&](const std::string& text) { dialogs.ShowError(text); });
    ReplayClock replay(clock, options.startMs, options.periodMs);
    session.assembler.SetOnFrameCompleted(
        [&] { replay.NextFrame([&] { session.TrecordTimer(); }); });

    int status = 0;
    try {
        if (options.hidReports) {
            FeedHidReportText(*input, session.assembler);
        } else {
            std::vector<std::uint8_t> block(options.chunk);
            for (;;) {
                const std::size_t got = std::fread(block.data(), 1, block.size(), input->Handle());
                if (got > 0) {
                    session.OnSerialData(block.data(), got);
                }
                if (got < block.size()) {
                    if (std::ferror(input->Handle())) {
                        throw InputError(input->Name() + ": read error");
                    }
                    break;
                }
            }
        }
    } catch (const InputError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 2;
    }

    std::string out = FormatTableHeader();
    for (std::size_t row = 0; row < session.log.RowCount(); ++row) {
        AppendTableRow(session.log, row, out);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", LogSummary(session).c_str());
    if (options.chart) {
        std::fprintf(stderr, "%s\n", ChartSummary(session).c_str());
    }
    return status;
}

const CommandRegistration kRegistration({"log", "record a meter stream into the reading log",
                                         kLogUsage, RunLog});

}  // namespace
}  // namespace varlo::cli
