// The main window's share of the frames: frames of a drifting DC reading fed
// to the window's session as the serial driver hands them over, followed by
// the event processing that repaints the display replica, the reading, the
// judgement, the grid and the chart. Two paces: one frame per pass of the
// event loop (the meter's own 2 frames a second), and the serial line at its
// full rate, 137 frames a second, which the driver's 50 ms poll hands over
// 7 frames at a time. Measured on an empty log and on one of N rows loaded
// from a table file (default 1,000,000), the record limit "limitless".
// Prints the median and the 99th percentile of each step; the target is a
// poll of 7 frames, repaint included, within the poll's 50 ms.
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "BenchFigure.h"
#include "app/TFCOMM.h"
#include "common/Dialogs.h"
#include "common/FileDialogs.h"
#include "decode/Locale.h"
#include "recording/LocalClock.h"
#include "recording/ReadingLog.h"
#include "recording/TableFiles.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSteps = 1000;
constexpr int kFramesPerPoll = 7;  // 137 frames/s in a 50 ms poll
constexpr double kPollMs = 50.0;

struct QuietDialogs : varlo::Dialogs {
    Answer Ask(const std::string&) override { return Answer::Yes; }
    void Inform(const std::string&) override {}
    void SystemMessage(const std::string&, const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

struct NoFiles : varlo::FileDialogs {
    std::optional<std::string> Execute(const varlo::FileDialogSpec&) override { return {}; }
};

// DC volts, AUTO, with `counts` on the digits, as the line carries it: the
// line feed of the frame before, 0x30 + each nibble, the carriage return.
std::vector<std::uint8_t> Frame(int counts) {
    char text[16];
    std::snprintf(text, sizeof text, "0%05dB000A0", counts % 22000);
    std::vector<std::uint8_t> bytes{0x0A};
    for (const char* c = text; *c != '\0'; ++c) {
        bytes.push_back(static_cast<std::uint8_t>(0x30 + (*c <= '9' ? *c - '0' : *c - 'A' + 10)));
    }
    bytes.push_back(0x0D);
    return bytes;
}

void WriteLogFile(const std::string& path, std::size_t rows) {
    varlo::ReadingLog log;
    for (std::size_t n = 0; n < rows; ++n) {
        const int counts = static_cast<int>(n % 20000);
        char value[16];
        std::snprintf(value, sizeof value, "%d.%04d", counts / 10000, counts % 10000);
        log.AppendRow(static_cast<std::int32_t>(n + 1), "12:00:00", "DC", value, "V", "Pass",
                      counts);
    }
    QuietDialogs dialogs;
    varlo::SaveTableText(log, path, dialogs);
}

struct Step {
    double medianMs = 0;
    double p99Ms = 0;
};

struct Figures {
    Step frame;  // one frame, then the event loop
    Step poll;   // a poll's 7 frames, then the event loop
    std::size_t rows = 0;
};

Step Summary(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 99 / 100]};
}

// `steps` passes of `frames` frames each, each pass followed by the event
// processing; the time of every pass.
std::vector<double> Run(varlo::MeterSession& session, int steps, int frames, int& next) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(steps));
    for (int i = 0; i < steps; ++i) {
        std::vector<std::uint8_t> bytes;
        for (int k = 0; k < frames; ++k) {
            const std::vector<std::uint8_t> frame = Frame(1000 + 7 * next++);
            bytes.insert(bytes.end(), frame.begin(), frame.end());
        }
        const auto start = Clock::now();
        session.OnSerialData(bytes.data(), bytes.size());
        QApplication::processEvents();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return times;
}

Figures Measure(const std::string& loadFirst) {
    QuietDialogs dialogs;
    NoFiles files;
    const varlo::FixedLocale locale;
    const varlo::SystemLocalClock clock;
    varlo::app::TFCOMM window(locale, clock, dialogs, files);
    window.show();
    QApplication::processEvents();
    varlo::MeterSession& session = window.Session();
    session.limitessClick();
    if (!loadFirst.empty()) session.SpeedButton2Click(loadFirst);
    QApplication::processEvents();

    int next = 0;
    Figures f;
    f.frame = Summary(Run(session, kSteps, 1, next));
    f.poll = Summary(Run(session, kSteps, kFramesPerPoll, next));
    f.rows = session.Log().RowCount();
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PULSE_SERVER", "unix:/nonexistent/varlo-bench");
    QApplication app(argc, argv);
    const std::size_t large = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    QTemporaryDir folder;
    const std::string file = folder.filePath(QStringLiteral("log.txt")).toStdString();
    WriteLogFile(file, large);

    const Figures empty = Measure({});
    const Figures loaded = Measure(file);
    if (loaded.rows < large) {
        std::fprintf(stderr, "the log of %zu rows did not load: %zu rows\n", large, loaded.rows);
        return 1;
    }
    std::printf("main window: frames fed and repainted, %d steps of each kind\n", kSteps);
    std::printf("  %-40s %12s %12s %12s\n", "", "rows at end", "median ms", "99th % ms");
    auto row = [](const char* what, std::size_t rows, const Step& step) {
        std::printf("  %-40s %12zu %12.3f %12.3f\n", what, rows, step.medianMs, step.p99Ms);
    };
    row("1 frame, empty log", empty.rows, empty.frame);
    row("a poll of 7 frames, empty log", empty.rows, empty.poll);
    row("1 frame, log loaded first", loaded.rows, loaded.frame);
    row("a poll of 7 frames, log loaded first", loaded.rows, loaded.poll);
    using namespace varlo::bench;
    const std::string steps = std::to_string(kSteps) + " steps";
    const auto report = [&](const std::string& log, const Figures& f) {
        Figure("poll of 7 frames + repaint, 99th %, " + log, f.poll.p99Ms, "ms", AtMost(kPollMs),
               steps + ", median " + FormatMeasured(f.poll.medianMs) +
                   " ms; the line's 137 frames/s, polled every 50 ms");
        Figure("1 frame + repaint, 99th %, " + log, f.frame.p99Ms, "ms", kNoTarget,
               steps + ", median " + FormatMeasured(f.frame.medianMs) + " ms; the meter's pace");
    };
    report("empty log", empty);
    report(std::to_string(large) + " rows loaded", loaded);
    return 0;
}
