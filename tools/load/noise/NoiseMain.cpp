// varlo-noise: the real window on a noisy line. The simulator sends frames
// at the line's full rate with a fraction of the bytes corrupted (a bit
// flipped, a byte dropped or inserted) on a pseudo-terminal named as COM1,
// and logs each corruption; the window records them with "COM Connect"
// pressed, "Repeat" on and "limitless". The harness keeps every frame the
// window completed and what became of it (FrameLedger), regenerates the
// frames sent from the run's seed (SentFrames), and checks the two against
// the noise log (NoiseCheck); it also compares the reading the window shows
// with the last row it recorded on every tick of its event-loop watch.
// Prints its figures; exits 1 on any miss, 2 on a usage error.
//
// Usage: varlo-noise [--minutes M] [--noise P] [--seed S] [--scenario NAME]
#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "EventLoopWatch.h"
#include "FigureTable.h"
#include "FrameLedger.h"
#include "HarnessArgs.h"
#include "HarnessMain.h"
#include "LoadWindow.h"
#include "NoiseCheck.h"
#include "NoiseLogReader.h"
#include "SentFrames.h"
#include "SimulatorRunner.h"
#include "app/VarloApplication.h"
#include "platform/SystemLocale.h"

namespace {

using namespace varlo::load;

constexpr double kLineFramesPerSecond = 19200.0 / 140.0;

int Run(const HarnessArgs& args) {
    const double seconds = args.Number("minutes") * 60;
    const auto frames = static_cast<std::uint64_t>(std::llround(seconds * kLineFramesPerSecond));
    const auto seed = static_cast<std::uint64_t>(args.Number("seed"));
    QTemporaryDir folder;
    const std::string logPath = folder.filePath(QStringLiteral("noise.log")).toStdString();
    SimulatorRunner sim(VARLO_CLI_PATH);
    const std::string port = sim.StartOnTerminal(
        {"--scenario", args.Text("scenario"), "--rate", "line", "--count", std::to_string(frames),
         "--noise", args.Text("noise"), "--noise-log", logPath, "--seed", std::to_string(seed)});
    qputenv("VARLO_COM1", QByteArray::fromStdString(port));

    LoadWindow w;
    w.Show();
    w.Click("limitess");
    if (!w.Control<QCheckBox>("RepeatSet").isChecked()) w.Click("RepeatSet");
    const varlo::MeterSession& session = w.Session();
    FrameLedger ledger(w.Session());

    // The reading shown is the reading recorded last: every frame decoded
    // is recorded, with Repeat on and no limit.
    std::size_t shownChecks = 0;
    std::size_t shownWrong = 0;
    std::string firstWrong;
    auto& shown = w.Control<QLineEdit>("T1VALUE");
    EventLoopWatch watch;
    watch.SetOnTick([&] {
        const std::size_t rows = session.Log().RowCount();
        if (rows == 0) return;
        ++shownChecks;
        const std::string value = session.Log().Text(rows - 1, varlo::ReadingLog::kValue);
        if (shown.text().toStdString() != value) {
            if (shownWrong++ == 0) {
                firstWrong = "shows \"" + shown.text().toStdString() + "\", row " +
                             std::to_string(rows - 1) + " holds \"" + value + "\"";
            }
        }
    });
    watch.Start();
    std::printf("noise: %.0f s, %llu frames at the line's rate, noise %s, seed %llu, from %s\n",
                seconds, static_cast<unsigned long long>(frames), args.Text("noise").c_str(),
                static_cast<unsigned long long>(seed), port.c_str());
    std::fflush(stdout);
    w.Click("COMCon");

    const bool ended = ServeUntil(
        [&] { return !sim.Running(); },
        std::chrono::milliseconds(std::llround(seconds * 1000)) + std::chrono::minutes(2));
    if (!ended) sim.Stop();
    // The simulator waits for the reader to take the last frames before it
    // closes the terminal: all the window will get, it has read by now.
    watch.Stop();

    FigureTable figures;
    figures.Check(ended, "the simulator ended in time: " + sim.Errors());
    const auto summary = sim.Summary();
    figures.Check(static_cast<bool>(summary), "the simulator's summary: " + sim.Errors());
    const std::uint64_t sent = summary ? summary->sentFrames : 0;
    const NoiseMarks marks(ReadNoiseLog(logPath));
    const varlo::SystemLocale locale;
    const NoiseFindings f =
        CheckAgainstSent(RegenerateSentFrames(args.Text("scenario"), seed, sent, locale),
                         ledger.Frames(), marks, [&](std::size_t row) {
                             std::vector<std::string> fields;
                             for (int column : kComparedColumns)
                                 fields.push_back(session.Log().Text(row, column));
                             return fields;
                         });

    figures.Exactly("frames sent", static_cast<double>(sent), "%.0f", static_cast<double>(frames));
    figures.Info("  bytes corrupted", summary ? static_cast<double>(summary->corruptedBytes) : 0,
                 "%.0f");
    figures.Exactly("  noise log lines (one a corrupted byte)",
                    static_cast<double>(marks.Entries()), "%.0f",
                    summary ? static_cast<double>(summary->corruptedBytes) : 0);
    figures.Info("  frames the noise log marks", static_cast<double>(marks.MarkedFrames()), "%.0f");
    figures.Info("frames the window completed", static_cast<double>(ledger.Count()), "%.0f");
    figures.Info("  recorded exactly as sent", static_cast<double>(f.matched), "%.0f");
    figures.Info("  sent frames lost, all marked", static_cast<double>(f.lost), "%.0f");
    figures.Info("  bad frames dropped (the window's dropped count)",
                 static_cast<double>(f.badDropped), "%.0f");
    figures.Info("  bad frames rejected (the window's rejected count)",
                 static_cast<double>(f.badRejected), "%.0f");
    figures.Info("  bad frames that decoded and were recorded", static_cast<double>(f.badRecorded),
                 "%.0f");
    figures.Exactly(
        "  window's dropped + rejected, beside the bad ones",
        static_cast<double>(session.Assembler().DroppedCount() + session.Decoder().RejectedCount()),
        "%.0f", static_cast<double>(f.badDropped + f.badRejected));
    figures.Limit("  bad frames, against twice the corrupted bytes",
                  static_cast<double>(f.badDropped + f.badRejected + f.badRecorded), "%.0f",
                  2.0 * static_cast<double>(marks.Entries()));
    figures.Exactly("rows recorded, beside matched + bad recorded",
                    static_cast<double>(session.Log().RowCount()), "%.0f",
                    static_cast<double>(f.matched + f.badRecorded));
    figures.Exactly("faults: frames or rows the noise log does not account for",
                    static_cast<double>(f.faults.size()), "%.0f", 0);
    figures.Info("reading shown checked against the last row (ticks)",
                 static_cast<double>(shownChecks), "%.0f");
    figures.Exactly("  ticks where it differed", static_cast<double>(shownWrong), "%.0f", 0);
    figures.Exactly("message boxes", static_cast<double>(w.dialogs.Count()), "%.0f", 0);
    figures.Info("longest event-loop gap (ms)", watch.LongestGapMs(), "%.1f");
    const bool met = figures.Print();
    std::printf(
        "agree means: every frame the window dropped or rejected matches no frame as sent and "
        "lies where the noise log marks the next frame sent or the one before it; every frame "
        "sent that the log leaves alone was recorded once, in order, with the reading sent; the "
        "frames lost are all marked; the window's counts equal the bad frames the harness "
        "counted, which are at most two per corrupted byte.\n");
    for (const std::string& fault : f.faults) std::printf("fault: %s\n", fault.c_str());
    if (shownWrong > 0) std::printf("first shown reading wrong: %s\n", firstWrong.c_str());
    if (w.dialogs.Count() > 0) std::printf("the boxes:\n%s", w.dialogs.Describe().c_str());
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    return varlo::load::HarnessMain(
        argc, argv, "varlo-noise",
        {{"minutes", "5"}, {"noise", "0.01"}, {"seed", "1"}, {"scenario", "random"}},
        "[--minutes M] [--noise P] [--seed S] [--scenario NAME]", Run);
}
