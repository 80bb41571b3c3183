// varlo-soak: the real window for a long run at the serial line's full rate.
// The simulator sends frames at the limit of the 19200-baud line on a
// pseudo-terminal named as COM1; the window records them with "COM
// Connect" pressed, "Repeat" on and the record limit "limitless". Every few
// seconds resident memory is sampled beside the log's and the chart's own
// bytes; an event-loop watch times every gap; every message box is counted.
// At the end: no frame lost (frames sent = rows = chart points), memory flat
// apart from the rows, the loop never held past 100 ms, no box. Prints its
// figures; exits 1 on any miss, 2 on a usage error.
//
// Usage: varlo-soak [--minutes M] [--scenario tour|sweep|steady|random]
//                   [--sample-seconds S] [--gaps wall|cpu]
// --gaps: what decides on the event loop: its gaps on the clock (wall, the
// default), or the GUI thread's own work between two ticks (cpu), for a
// machine shared with other work.
#include <QAbstractButton>
#include <QCheckBox>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "EventLoopWatch.h"
#include "FigureTable.h"
#include "HarnessArgs.h"
#include "HarnessMain.h"
#include "LoadWindow.h"
#include "MemoryTrack.h"
#include "ProcessCounters.h"
#include "SimulatorRunner.h"
#include "app/VarloApplication.h"

namespace {

using namespace varlo::load;
using Clock = std::chrono::steady_clock;

// The line carries 19200 bits a second, 10 bits a byte, 14 bytes a frame.
constexpr double kLineFramesPerSecond = 19200.0 / 140.0;
constexpr double kLongestGapMs = 100;
// The process may hold this much more at the end than when the first
// readings had come in, beyond the log's and the chart's own bytes: Qt's
// caches for a screenful of glyphs and the allocator's slack. It must not
// grow with the run: the second half may add at most a quarter of it.
constexpr double kExtraBytes = 8.0 * 1024 * 1024;
constexpr double kSecondHalfBytes = kExtraBytes / 4;
constexpr std::size_t kWarmRows = 1000;

MemorySample Sample(LoadWindow& w, Clock::time_point start) {
    const varlo::MeterSession& s = w.Session();
    return {std::chrono::duration<double>(Clock::now() - start).count(), ResidentBytes(),
            s.Log().MemoryBytes(), s.ChartModel().ValueBytes(), s.Log().RowCount()};
}

int Run(const HarnessArgs& args) {
    if (args.Text("gaps") != "wall" && args.Text("gaps") != "cpu") {
        throw std::invalid_argument("--gaps takes wall or cpu, not " + args.Text("gaps"));
    }
    const double seconds = args.Number("minutes") * 60;
    const auto frames = static_cast<std::uint64_t>(std::llround(seconds * kLineFramesPerSecond));
    SimulatorRunner sim(VARLO_CLI_PATH);
    const std::string port = sim.StartOnTerminal(
        {"--scenario", args.Text("scenario"), "--rate", "line", "--count", std::to_string(frames)});
    qputenv("VARLO_COM1", QByteArray::fromStdString(port));

    LoadWindow w;
    w.Show();
    w.Click("limitess");
    if (!w.Control<QCheckBox>("RepeatSet").isChecked()) w.Click("RepeatSet");
    EventLoopWatch watch;
    watch.SetLimitMs(kLongestGapMs);
    watch.Start();

    MemoryTrack memory;
    const auto start = Clock::now();
    QTimer sampler;
    sampler.setInterval(static_cast<int>(args.Number("sample-seconds") * 1000));
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        // The first sample once the first readings have been drawn: fonts,
        // glyphs and the chart's items are made then, not by the run.
        if (memory.Samples().empty() && w.Session().Log().RowCount() < kWarmRows) return;
        memory.Add(Sample(w, start));
    });
    sampler.start();
    std::printf("soak: %.0f s, %llu frames at the line's rate from %s as COM1\n", seconds,
                static_cast<unsigned long long>(frames), port.c_str());
    std::fflush(stdout);
    w.Click("COMCon");

    const bool ended = ServeUntil(
        [&] { return !sim.Running(); },
        std::chrono::milliseconds(std::llround(seconds * 1000)) + std::chrono::minutes(2));
    if (!ended) sim.Stop();
    // The simulator waits for the reader to take the last frames before it
    // closes the terminal: all it sent has been read once it has ended.
    const std::uint64_t sent = sim.Summary() ? sim.Summary()->sentFrames : 0;
    ServeUntil([&] { return w.Session().Log().RowCount() >= sent; }, std::chrono::seconds(10));
    sampler.stop();
    memory.Add(Sample(w, start));
    watch.Stop();

    const varlo::MeterSession& session = w.Session();
    const double runSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    FigureTable figures;
    figures.Check(ended, "the simulator ended in time: " + sim.Errors());
    figures.Check(static_cast<bool>(sim.Summary()), "the simulator's summary: " + sim.Errors());
    figures.Exactly("frames sent", static_cast<double>(sent), "%.0f", static_cast<double>(frames));
    figures.Exactly("rows recorded", static_cast<double>(session.Log().RowCount()), "%.0f",
                    static_cast<double>(sent));
    figures.Exactly("chart points", static_cast<double>(session.ChartModel().RecordedValueCount()),
                    "%.0f", static_cast<double>(sent));
    figures.Exactly(
        "frames dropped or rejected",
        static_cast<double>(session.Assembler().DroppedCount() + session.Decoder().RejectedCount()),
        "%.0f", 0);
    figures.Info("frames a second over the run", static_cast<double>(sent) / runSeconds, "%.1f");
    // The gaps on the clock are what the user sees; on a machine busy with
    // other work they also hold the time the thread waited for a processor.
    // The thread's own work between two ticks is what the window answers
    // for: with "--gaps cpu" that decides, and the clock's gaps are shown.
    if (args.Text("gaps") == "wall") {
        figures.Limit("longest event-loop gap (ms)", watch.LongestGapMs(), "%.1f", kLongestGapMs);
        figures.Exactly("gaps over 100 ms", static_cast<double>(watch.GapsOverLimit()), "%.0f", 0);
    } else {
        figures.Info("longest event-loop gap (ms)", watch.LongestGapMs(), "%.1f");
        figures.Info("gaps over 100 ms", static_cast<double>(watch.GapsOverLimit()), "%.0f");
    }
    figures.Info("  the GUI thread's CPU time within the longest gap (ms)", watch.LongestGapCpuMs(),
                 "%.1f");
    figures.Limit("longest stretch of GUI-thread work between ticks (CPU ms)",
                  watch.LongestCpuGapMs(), "%.1f", kLongestGapMs);
    figures.Exactly("message boxes", static_cast<double>(w.dialogs.Count()), "%.0f", 0);
    const double mib = 1024.0 * 1024.0;
    figures.Info("resident memory at the end (MiB)",
                 static_cast<double>(memory.Samples().back().resident) / mib, "%.1f");
    figures.Info("  the log's and the chart's own growth (MiB)",
                 (static_cast<double>(memory.Samples().back().logBytes +
                                      memory.Samples().back().chartBytes) -
                  static_cast<double>(memory.Samples().front().logBytes +
                                      memory.Samples().front().chartBytes)) /
                     mib,
                 "%.1f");
    figures.Limit("  growth beyond them, most at any sample (MiB)", memory.MostExtraBytes() / mib,
                  "%.2f", kExtraBytes / mib);
    figures.Limit("  of it over the second half of the run (MiB)",
                  memory.ExtraGrowthOverSecondHalf() / mib, "%.2f", kSecondHalfBytes / mib);
    figures.Info("  memory samples", static_cast<double>(memory.Samples().size()), "%.0f");
    const bool met = figures.Print();
    if (w.dialogs.Count() > 0) std::printf("the boxes:\n%s", w.dialogs.Describe().c_str());
    std::printf("longest gap in %s\n", watch.LongestGapCulprit().c_str());
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    return varlo::load::HarnessMain(
        argc, argv, "varlo-soak",
        {{"minutes", "60"}, {"scenario", "tour"}, {"sample-seconds", "5"}, {"gaps", "wall"}},
        "[--minutes M] [--scenario NAME] [--sample-seconds S] [--gaps wall|cpu]", Run);
}
