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
#include "recording/TableFiles.h"
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

// One run of the command: the session as the options set it up, and where
// the rows go (standard output as they come, or a table file at the end).
class LogRun : private SessionView {
  public:
    LogRun(const LogOptions& options, const LocalClock& clock)
        : options_(options),
          locale_(MakeLocale(options.decimalSep)),
          session(*locale_, clock, dialogs) {}

    // Sets the controls; false (with the usage shown) when an option's value
    // would be refused.
    bool Setup() {
        try {
            ApplyLogOptions(options_, session);
        } catch (const UsageError& error) {
            std::fprintf(stderr, "varlo-cli log: %s\n\n%s", error.what(), kLogUsage);
            return false;
        }
        return true;
    }

    // Live runs show the header at once and each row as it is recorded.
    void PrintHeader() {
        if (!options_.output) Write(FormatTableHeader());
    }
    void PrintNewRows() {
        WriteNewRows();
        Flush();
    }
    // A replay writes each row as it is recorded and leaves the flushing to
    // the stream's buffer, so the table text is never held whole.
    void StreamRows() { session.SetView(this); }
    bool OutputClosed() const { return outputClosed_; }

    // Writes what is left, the table file and the summary lines. A run that
    // failed leaves the table file as it was.
    int Finish(int status) {
        if (options_.output) {
            if (status == 0 && !SaveTableByExtension(session.Log(), *options_.output, dialogs)) {
                status = 1;
            }
        } else {
            PrintNewRows();
        }
        std::fprintf(stderr, "%s\n", LogSummary(session).c_str());
        if (options_.chart) std::fprintf(stderr, "%s\n", ChartSummary(session).c_str());
        return status;
    }

  private:
    void FrameDecoded() override { WriteNewRows(); }

    void WriteNewRows() {
        if (options_.output) return;
        const ReadingLog& log = session.Log();
        if (log.RowCount() < printed_) printed_ = 0;  // the log was cleared
        while (printed_ < log.RowCount()) {
            line_.clear();
            AppendTableRow(log, printed_++, line_);
            std::fwrite(line_.data(), 1, line_.size(), stdout);
        }
    }
    void Write(const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        Flush();
    }
    void Flush() {
        if (std::fflush(stdout) != 0) outputClosed_ = true;
    }

    const LogOptions& options_;
    std::unique_ptr<LocaleSource> locale_;
    std::size_t printed_ = 0;
    std::string line_;
    bool outputClosed_ = false;

  public:
    StderrDialogs dialogs;
    MeterSession session;
};

// Runs the sampling countdown's 1000 ms ticks on the real clock.
class RecordTicks {
  public:
    explicit RecordTicks(MeterSession& session) : session_(session) {}
    void Catch() {
        while (Clock::now() >= next_) {
            session_.TrecordTimer();
            next_ += std::chrono::seconds(1);
        }
    }

  private:
    using Clock = std::chrono::steady_clock;
    MeterSession& session_;
    Clock::time_point next_ = Clock::now() + std::chrono::seconds(1);
};

// Records the USB cable on the real clock.
int RunUsbLog(const LogOptions& options, const LiveSerialOptions& live) {
    SystemLocalClock clock;
    LogRun run(options, clock);
    if (!run.Setup()) return 2;
    RecordTicks ticks(run.session);
    LiveUsbHooks hooks;
    hooks.started = [&] { run.PrintHeader(); };
    hooks.framesDone = [&] { return run.session.Decoder().DecodedCount(); };
    hooks.stopNow = [&] { return run.OutputClosed(); };
    hooks.afterReport = [&] { run.PrintNewRows(); };
    hooks.onTick = [&] {
        ticks.Catch();
        run.PrintNewRows();
    };
    const int status = RunLiveUsb(live, "log", run.session.Assembler(), run.session.Link(),
                                  run.session.LinkPanel(), hooks);
    if (status == 2) return status;
    return run.Finish(status);
}

// Records the live port on the real clock, rows flushed after every poll.
int RunLiveLog(const LogOptions& options, const LiveSerialOptions& live) {
    SystemLocalClock clock;
    LogRun run(options, clock);
    if (!run.Setup()) return 2;
    RecordTicks ticks(run.session);
    const int status = RunLiveSerial(
        live, "log", run.session.Assembler(), run.session.Link(), run.session.LinkPanel(),
        [&](const std::uint8_t* data, std::size_t size) { run.session.OnSerialData(data, size); },
        [&] { return run.session.Decoder().DecodedCount(); },
        [&] {
            ticks.Catch();
            run.PrintNewRows();
            if (run.OutputClosed()) RequestLiveStop();
        },
        [&] {
            run.PrintHeader();
            if (run.OutputClosed()) RequestLiveStop();
        });
    if (status == 2) return status;
    return run.Finish(status);
}

// Replays a recorded stream on the simulated clock.
int RunReplayLog(const LogOptions& options) {
    std::unique_ptr<InputFile> input;
    try {
        input = std::make_unique<InputFile>(options.input);
    } catch (const InputError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    SimulatedClock clock;
    LogRun run(options, clock);
    if (!run.Setup()) return 2;
    MeterSession& session = run.session;
    ReplayClock replay(clock, options.startMs, options.periodMs);
    session.Assembler().SetOnFrameCompleted(
        [&] { replay.NextFrame([&] { session.TrecordTimer(); }); });

    run.PrintHeader();
    run.StreamRows();
    int status = 0;
    try {
        if (options.hidReports) {
            FeedHidReportText(*input, session.Assembler());
        } else {
            FeedRawStream(*input, options.chunk, [&](const std::uint8_t* data, std::size_t size) {
                session.OnSerialData(data, size);
            });
        }
    } catch (const InputError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 2;
    }
    return run.Finish(status);
}

int RunLog(const std::vector<std::string>& args) {
    LogOptions options;
    LiveSerialOptions live;
    try {
        options = ParseLogOptions(args, {"--port", "--count", "--seconds", "--capture"}, {"--usb"});
        live = TakeLiveOptions(options, args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "varlo-cli log: %s\n\n%s", error.what(), kLogUsage);
        return 2;
    }
    if (live.port) return RunLiveLog(options, live);
    if (UsbRequested(options)) return RunUsbLog(options, live);
    return RunReplayLog(options);
}

const CommandRegistration kRegistration({"log", "record a meter stream into the reading log",
                                         kLogUsage, RunLog});

}  // namespace
}  // namespace varlo::cli
