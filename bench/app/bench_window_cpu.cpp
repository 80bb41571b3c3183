// The window's CPU while a meter streams: `varlo-cli sim` on a pseudo-terminal
// that VARLO_COM1 names, the window connected with "COM Connect" and every
// reading recorded, the process's own CPU time over a fixed streaming time.
//   meter   the meter's pace, 2 frames a second, for 30 s: target at most 1%
//           of a core
//   line    the line's full rate, 137 frames a second, for 5 s: what it costs
//   steady  the line's full rate for 5 s, one reading repeated
// The simulator's tour (meter, line) changes function, unit or decimal point
// with nearly every frame, and each change restarts the chart: the heaviest
// stream a meter sends. A steady reading only adds to the chart.
// Beside each, a thread of the same process that only sleeps to each 50 ms
// mark: what the serial poll's wake-ups alone cost this machine, under the
// same load. Its CPU is taken out of the window's.
// Usage: bench_window_cpu [meter|line|steady ...] [--seconds S]
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchFigure.h"
#include "WindowBench.h"
#include "app/TFCOMM.h"
#include "app/VarloApplication.h"
#include "platform/SystemLocale.h"
#include "recording/LocalClock.h"
#include "recording/ReadingLog.h"

namespace {

// `varlo-cli sim` as a child process; the terminal it names on its first
// line. Its standard output stays open and unread after that line.
class Simulator {
  public:
    Simulator(const std::string& rate, const std::string& scenario) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
            execl(VARLO_CLI, VARLO_CLI, "sim", "--rate", rate.c_str(), "--scenario",
                  scenario.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        std::string line;
        char c = 0;
        while (read(out_, &c, 1) == 1 && c != '\n') line += c;
        if (line.rfind("/dev/", 0) == 0) terminal_ = line;
    }
    ~Simulator() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& Terminal() const { return terminal_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string terminal_;
};

struct Phase {
    double cpu = 0;    // the window's CPU seconds, the floor's taken out
    double floor = 0;  // the wake-up thread's CPU seconds
    double seconds = 0;
    std::uint64_t frames = 0;
    std::size_t rows = 0;
};

// One streaming run: a window of its own, connected to a simulator of its
// own at `rate`, measured for `seconds` once the first frame is in.
bool Measure(const std::string& rate, const std::string& scenario, double seconds, Phase& phase) {
    Simulator sim(rate, scenario);
    if (sim.Terminal().empty()) {
        std::fprintf(stderr, "the simulator named no terminal\n");
        return false;
    }
    qputenv("VARLO_COM1", QByteArray::fromStdString(sim.Terminal()));
    varlo::bench::QuietDialogs dialogs;
    varlo::bench::NoFiles files;
    static_cast<varlo::app::VarloApplication*>(QCoreApplication::instance())
        ->SetErrorReport(&dialogs);
    const varlo::SystemLocale locale;
    const varlo::SystemLocalClock clock;
    auto window = std::make_unique<varlo::app::TFCOMM>(locale, clock, dialogs, files);
    window->show();
    const varlo::MeterSession& session = window->Session();
    auto* connect = window->findChild<QAbstractButton*>(QStringLiteral("COMCon"));
    if (connect == nullptr) {
        std::fprintf(stderr, "the window has no COMCon\n");
        return false;
    }
    connect->click();
    if (!varlo::bench::RunUntil([&] { return session.Decoder().DecodedCount() >= 2; }, 20)) {
        std::fprintf(stderr, "no frame reached the window from the simulator\n");
        return false;
    }

    const std::uint64_t decodedStart = session.Decoder().DecodedCount();
    const std::size_t rowsStart = session.Log().RowCount();
    varlo::bench::WakeupFloor floor;
    const double cpuStart = varlo::bench::ProcessCpuSeconds();
    varlo::bench::RunFor(seconds);
    const double cpuEnd = varlo::bench::ProcessCpuSeconds();
    phase.floor = floor.Stop();
    phase.cpu = cpuEnd - cpuStart - phase.floor;
    phase.seconds = seconds;
    phase.frames = session.Decoder().DecodedCount() - decodedStart;
    phase.rows = session.Log().RowCount() - rowsStart;
    window.reset();
    static_cast<varlo::app::VarloApplication*>(QCoreApplication::instance())
        ->SetErrorReport(nullptr);
    return true;
}

void Report(const char* pace, const Phase& p, const varlo::bench::Target& target) {
    using namespace varlo::bench;
    const double percent = p.cpu / p.seconds * 100;
    const double floorPercent = p.floor / p.seconds * 100;
    std::printf(
        "%s: %llu frames decoded and %zu rows recorded in %.0f s; window %.3f s CPU, "
        "the 50 ms wake-ups %.3f s\n",
        pace, static_cast<unsigned long long>(p.frames), p.rows, p.seconds, p.cpu, p.floor);
    const std::string what = std::string(pace) + ": window CPU";
    Figure(what, percent, "% of a core", target,
           std::to_string(p.frames) + " frames, " + std::to_string(p.rows) + " rows in " +
               FormatMeasured(p.seconds) + " s");
    Ratio(what + " against bare 50 ms wake-ups", {"window", percent}, {"wake-ups", floorPercent},
          "% of a core", kNoTarget,
          "the wake-ups: a thread beside the window that only sleeps to each 50 ms mark");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PULSE_SERVER", "unix:/nonexistent/varlo-bench");
    std::vector<std::string> phases;
    double seconds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (a == "meter" || a == "line" || a == "steady") {
            phases.push_back(a);
        } else {
            std::fprintf(stderr, "usage: bench_window_cpu [meter|line|steady ...] [--seconds S]\n");
            return 2;
        }
    }
    if (phases.empty()) phases = {"meter", "line", "steady"};
    varlo::app::VarloApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    for (const std::string& phase : phases) {
        Phase p;
        if (phase == "meter") {
            if (!Measure("2", "tour", seconds > 0 ? seconds : 30, p)) return 1;
            Report("2 frames/s, tour", p, varlo::bench::AtMost(1.0));
        } else if (phase == "line") {
            if (!Measure("line", "tour", seconds > 0 ? seconds : 5, p)) return 1;
            Report("137 frames/s, tour", p, varlo::bench::kNoTarget);
        } else {
            if (!Measure("line", "steady", seconds > 0 ? seconds : 5, p)) return 1;
            Report("137 frames/s, steady", p, varlo::bench::kNoTarget);
        }
    }
    return 0;
}
