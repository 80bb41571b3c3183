// The time from a frame's last byte on the serial line to the display
// replica's repaint that shows it, through the real window and the real
// serial path: the benchmark writes DC readings into the master side of a
// pseudo-terminal that VARLO_COM1 names, the window has connected with
// "COM Connect", and the last digit of the display, LcdDd, which every
// reading changes, is watched for its paint. Frames go out at random
// intervals, so that their arrival falls at every point of the driver's
// 50 ms poll. A frame's latency ends at the first paint of LcdDd that shows
// it or a later frame (two frames that arrive within one poll are shown
// together, the later one).
// Target: at most one poll (50 ms) plus 16 ms, a frame of a 60 Hz screen.
// Usage: bench_window_latency [FRAMES]   (default 300)
#include <QAbstractButton>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchFigure.h"
#include "WindowBench.h"
#include "app/TFCOMM.h"
#include "app/VarloApplication.h"
#include "platform/SystemLocale.h"
#include "recording/LocalClock.h"
#include "sim/MeterFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTargetMs = 50.0 + 16.0;
constexpr int kFirstCounts = 10000;  // every later frame adds one: its last digit changes

varlo::sim::Bytes ReadingFrame(int counts) {
    varlo::sim::MeterFrame frame;  // DC volts, AUTO
    frame.digits = varlo::sim::Digits(static_cast<unsigned>(counts));
    return varlo::sim::FrameBytes(frame);
}

// Takes the time at which each paint of the watched element ended, with the
// number of frames decoded by then: the paint showed that frame.
class PaintWatch : public QObject {
  public:
    PaintWatch(QWidget& element, const varlo::MeterSession& session)
        : element_(element), session_(session) {
        element_.installEventFilter(this);
    }
    ~PaintWatch() override { element_.removeEventFilter(this); }

    struct Paint {
        Clock::time_point at;
        std::uint64_t decoded;
    };
    const std::vector<Paint>& Paints() const { return paints_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &element_ || event->type() != QEvent::Paint) return false;
        // Paint first, then take the time: the element has painted.
        watched->event(event);
        paints_.push_back({Clock::now(), session_.Decoder().DecodedCount()});
        return true;
    }

  private:
    QWidget& element_;
    const varlo::MeterSession& session_;
    std::vector<Paint> paints_;
};

double Percentile(const std::vector<double>& sorted, double fraction) {
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted[index];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PULSE_SERVER", "unix:/nonexistent/varlo-bench");
    const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    if (frames < 10 || frames > 20000) {
        std::fprintf(stderr, "usage: bench_window_latency [FRAMES, 10 to 20000]\n");
        return 2;
    }
    varlo::bench::MeterTerminal meter;
    if (!meter.Ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("VARLO_COM1", QByteArray::fromStdString(meter.Slave()));

    varlo::app::VarloApplication app(argc, argv);
    varlo::bench::QuietDialogs dialogs;
    varlo::bench::NoFiles files;
    app.SetErrorReport(&dialogs);
    const varlo::SystemLocale locale;
    const varlo::SystemLocalClock clock;
    varlo::app::TFCOMM window(locale, clock, dialogs, files);
    window.show();
    const varlo::MeterSession& session = window.Session();
    auto* connect = window.findChild<QAbstractButton*>(QStringLiteral("COMCon"));
    auto* digit = window.findChild<QWidget*>(QStringLiteral("LcdDd"));
    if (connect == nullptr || digit == nullptr) {
        std::fprintf(stderr, "the window has no COMCon or no LcdDd\n");
        return 1;
    }
    connect->click();
    PaintWatch watch(*digit, session);

    // The line feed that ends the frame before, and a first reading: the
    // link is up once it is shown.
    auto first = ReadingFrame(kFirstCounts);
    first.insert(first.begin(), 0x0A);
    if (!meter.Write(first) ||
        !varlo::bench::RunUntil([&] { return session.Decoder().DecodedCount() == 1; }, 20)) {
        std::fprintf(stderr, "the window did not decode the first frame\n");
        return 1;
    }
    varlo::bench::RunFor(0.3);

    // The frames, from a thread, 5 to 65 ms apart: each written whole, its
    // time taken right after.
    std::vector<Clock::time_point> written(static_cast<std::size_t>(frames));
    std::atomic<bool> writeFailed{false};
    std::thread writer([&] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> gapUs(5'000, 65'000);
        for (int i = 0; i < frames; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(gapUs(random)));
            if (!meter.Write(ReadingFrame(kFirstCounts + 1 + i))) {
                writeFailed = true;
                return;
            }
            written[static_cast<std::size_t>(i)] = Clock::now();
        }
    });
    const auto want = static_cast<std::uint64_t>(frames) + 1;
    const bool allShown = varlo::bench::RunUntil(
        [&] { return !watch.Paints().empty() && watch.Paints().back().decoded == want; },
        60 + frames * 0.1);
    writer.join();
    if (writeFailed || !allShown) {
        std::fprintf(stderr, "%s: %llu of %d frames decoded\n",
                     writeFailed ? "a write to the terminal failed" : "not every frame was shown",
                     static_cast<unsigned long long>(session.Decoder().DecodedCount()), frames + 1);
        return 1;
    }

    // Frame i (1-based after the first) is shown by the first paint that had
    // decoded it.
    std::vector<double> latencies;
    std::size_t paintsAlone = 0;
    const auto& paints = watch.Paints();
    std::size_t p = 0;
    for (int i = 0; i < frames; ++i) {
        const std::uint64_t decoded = static_cast<std::uint64_t>(i) + 2;
        while (p < paints.size() && paints[p].decoded < decoded) ++p;
        if (p == paints.size()) break;
        if (paints[p].decoded == decoded) ++paintsAlone;
        latencies.push_back(std::chrono::duration<double, std::milli>(
                                paints[p].at - written[static_cast<std::size_t>(i)])
                                .count());
    }
    if (latencies.size() != static_cast<std::size_t>(frames)) {
        std::fprintf(stderr, "only %zu of %d frames were matched to a paint\n", latencies.size(),
                     frames);
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = Percentile(latencies, 0.5);
    const double p95 = Percentile(latencies, 0.95);
    const double worst = latencies.back();
    const auto over =
        std::count_if(latencies.begin(), latencies.end(), [](double ms) { return ms > kTargetMs; });
    std::printf(
        "latency, last byte on the terminal to LcdDd painted: %d frames 5 to 65 ms apart, "
        "%zu of them painted on their own\n"
        "  best %.2f ms, median %.2f ms, 95th %% %.2f ms, worst %.2f ms; %ld over %.0f ms\n",
        frames, paintsAlone, latencies.front(), median, p95, worst, static_cast<long>(over),
        kTargetMs);

    using namespace varlo::bench;
    const std::string note = std::to_string(frames) + " frames at random times through COM1";
    Figure("last byte to LCD painted, median", median, "ms", kNoTarget,
           note + "; the 50 ms poll alone averages 25");
    Figure("last byte to LCD painted, 95th %", p95, "ms", AtMost(kTargetMs), note);
    Figure("last byte to LCD painted, worst", worst, "ms", AtMost(kTargetMs),
           note + "; " + std::to_string(over) + " over the target");
    return 0;
}
