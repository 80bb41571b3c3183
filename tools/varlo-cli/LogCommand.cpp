// varlo-cli log: records a meter stream into the reading log by the window's
// rules and prints the log.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "Command.h"
#include "LogSetup.h"
#include "SimulatedClock.h"
#include "common/VarloError.h"
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

int RunLog(const std::vector<std::string>& args) {
    LogOptions options;
    try {
        options = ParseLogOptions(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "varlo-cli log: %s\n\n%s", error.what(), kLogUsage);
        return 2;
    }
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
