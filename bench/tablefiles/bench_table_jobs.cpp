// Saves and loads a log of ten million recorded rows in both table formats,
// in one call and in steps of the window's budget, and prints beside their
// targets: the total time of the steps against the one call, the longest
// step, and each load's peak memory against the rows it adds. A load runs in
// a fresh process of this program, so that its peak is its own.
//
// Times are judged by CPU time, which other work on the machine does not
// stretch; the wall-clock times are printed beside them.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "BenchFigure.h"
#include "common/Dialogs.h"
#include "recording/ReadingLog.h"
#include "recording/TableFiles.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"

namespace {

using varlo::ReadingLog;
using varlo::TableFileJob;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRows = 10'000'000;
// The window's step.
constexpr auto kStepBudget = std::chrono::milliseconds(16);
constexpr double kMaxStepMs = 50.0;
constexpr double kMaxSlowdown = 1.5;
constexpr double kMaxPeakRatio = 2.0;

class SilentDialogs : public varlo::Dialogs {
  public:
    Answer Ask(const std::string&) override { return Answer::No; }
    void Inform(const std::string&) override {}
    void SystemMessage(const std::string&, const std::string&) override {}
    void ShowError(const std::string&) override {}
};

void FillRecorded(ReadingLog& log) {
    char time[16];
    char value[16];
    for (std::size_t i = 0; i < kRows; ++i) {
        const std::size_t second = (12 * 3600 + i) % 86400;
        std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", second / 3600, second / 60 % 60,
                      second % 60);
        const int counts = static_cast<int>((i * 7919) % 20000);
        std::snprintf(value, sizeof value, "%02d.%03d", counts / 1000, counts % 1000);
        log.AppendRow(static_cast<std::int32_t>(i + 1), time, i % 3 ? "DC" : "AC", value,
                      i % 5 ? "V" : "&  *", counts < 19000 ? "Pass" : "Fail", counts);
    }
}

// Wall-clock and CPU seconds.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Counts the process's CPU time (every thread), or one thread's.
class Stopwatch {
  public:
    explicit Stopwatch(clockid_t cpuClock = CLOCK_PROCESS_CPUTIME_ID)
        : cpuClock_(cpuClock), wall_(Clock::now()), cpu_(CpuSeconds(cpuClock)) {}
    Times Elapsed() const {
        return {std::chrono::duration<double>(Clock::now() - wall_).count(),
                CpuSeconds(cpuClock_) - cpu_};
    }

  private:
    clockid_t cpuClock_;
    Clock::time_point wall_;
    double cpu_;
};

// What a job took, in one call or in steps.
struct StepRun {
    bool ok = false;
    Times total;
    Times longestStepMs;  // each the longest by its own clock
    std::size_t steps = 0;
    std::size_t stepsOverTarget = 0;  // by CPU time
    double tailSeconds = 0;           // after the last row or byte: moving into place, giving back
};

StepRun RunInSteps(TableFileJob& job) {
    StepRun run;
    const Stopwatch total;
    std::optional<Stopwatch> tail;
    bool more = true;
    while (more) {
        const Stopwatch step(CLOCK_THREAD_CPUTIME_ID);
        more = job.Step(kStepBudget);
        const Times took = step.Elapsed();
        run.longestStepMs.wall = std::max(run.longestStepMs.wall, took.wall * 1e3);
        run.longestStepMs.cpu = std::max(run.longestStepMs.cpu, took.cpu * 1e3);
        if (took.cpu * 1e3 > kMaxStepMs) ++run.stepsOverTarget;
        ++run.steps;
        const auto progress = job.GetProgress();
        if (!tail && progress.done == progress.total) tail.emplace();
    }
    job.Finish();
    run.total = total.Elapsed();
    if (tail) run.tailSeconds = tail->Elapsed().wall;
    run.ok = job.GetOutcome() == TableFileJob::Outcome::Succeeded;
    return run;
}

StepRun RunInOneCall(TableFileJob& job) {
    StepRun run;
    const Stopwatch total;
    run.ok = job.Run();
    run.total = total.Elapsed();
    run.steps = 1;
    return run;
}

void Verdict(bool met) {
    std::printf("   %s\n", met ? "met" : "MISSED");
}

// One call against its steps, each figure with its verdict; false only when a
// run failed (a missed figure is a finding for the table, not a failure).
bool ReportSteps(const char* what, const StepRun& call, const StepRun& steps) {
    if (!call.ok || !steps.ok) {
        std::printf("%-10s FAILED\n", what);
        return false;
    }
    const double ratio = steps.total.cpu / call.total.cpu;
    std::printf(
        "%-10s one call %6.2f s CPU (%6.2f s wall), %4zu steps %6.2f s CPU (%6.2f s wall)"
        " = %.2fx   target <= %.1fx",
        what, call.total.cpu, call.total.wall, steps.steps, steps.total.cpu, steps.total.wall,
        ratio, kMaxSlowdown);
    Verdict(ratio <= kMaxSlowdown);
    using namespace varlo::bench;
    Ratio(std::string(what) + " in steps against one call, CPU", {"steps", steps.total.cpu},
          {"one call", call.total.cpu}, "s", AtMost(kMaxSlowdown));
    std::printf(
        "%-10s longest step %5.1f ms CPU (%5.1f ms wall), %zu over the target; %.2f s after the"
        " last row   target <= %.0f ms",
        "", steps.longestStepMs.cpu, steps.longestStepMs.wall, steps.stepsOverTarget,
        steps.tailSeconds, kMaxStepMs);
    Verdict(steps.longestStepMs.cpu <= kMaxStepMs);
    Figure(std::string(what) + " in steps: longest step, CPU", steps.longestStepMs.cpu, "ms",
           AtMost(kMaxStepMs),
           "wall " + FormatMeasured(steps.longestStepMs.wall) + " ms; " +
               std::to_string(steps.stepsOverTarget) + " steps over");
    return true;
}

// kB from a line of /proc/self/status, e.g. "VmHWM:".
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    }
    return -1;
}

// The child: loads one file by the open command, in one call or in steps,
// and prints what it took (see LoadInChild).
int MeasureLoad(bool inSteps, const std::string& path) {
    SilentDialogs dialogs;
    const long before = StatusKb("VmRSS:");
    ReadingLog log;
    const auto job = varlo::MakeOpenJob(log, path, dialogs);
    const StepRun run = inSteps ? RunInSteps(*job) : RunInOneCall(*job);
    const long peak = StatusKb("VmHWM:");
    std::printf("%d %zu %ld %zu %zu %zu %.6f %.6f %.6f %.6f %.6f\n", run.ok ? 1 : 0, log.RowCount(),
                (peak - before) * 1024, log.MemoryBytes(), run.steps, run.stepsOverTarget,
                run.total.wall, run.total.cpu, run.longestStepMs.wall, run.longestStepMs.cpu,
                run.tailSeconds);
    return run.ok ? 0 : 1;
}

struct LoadRun {
    StepRun run;
    double peakRatio = 0;
    double peakMb = 0;
};

bool LoadInChild(bool inSteps, const std::string& path, LoadRun& load) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return false;
    self[length] = '\0';
    const std::string command =
        std::string(self) + (inSteps ? " --load-steps '" : " --load-call '") + path + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child) return false;
    int ok = 0;
    std::size_t rows = 0, peak = 0, bytes = 0;
    StepRun& run = load.run;
    const int fields =
        std::fscanf(child, "%d %zu %zu %zu %zu %zu %lf %lf %lf %lf %lf", &ok, &rows, &peak, &bytes,
                    &run.steps, &run.stepsOverTarget, &run.total.wall, &run.total.cpu,
                    &run.longestStepMs.wall, &run.longestStepMs.cpu, &run.tailSeconds);
    const bool exited = pclose(child) == 0;
    run.ok = fields == 11 && ok && exited && rows == kRows;
    load.peakMb = static_cast<double>(peak) / 1e6;
    load.peakRatio = bytes ? static_cast<double>(peak) / static_cast<double>(bytes) : 0;
    return load.run.ok;
}

bool ReportLoad(const char* what, const std::string& path) {
    LoadRun call, steps;
    if (!LoadInChild(false, path, call) || !LoadInChild(true, path, steps)) {
        std::printf("%-10s FAILED\n", what);
        return false;
    }
    ReportSteps(what, call.run, steps.run);
    for (const auto& [how, load] : {std::pair{"one call", &call}, std::pair{"in steps", &steps}}) {
        std::printf("%-10s peak %s %6.1f MB = %.2fx the rows it adds   target <= %.1fx", "", how,
                    load->peakMb, load->peakRatio, kMaxPeakRatio);
        Verdict(load->peakRatio <= kMaxPeakRatio);
        varlo::bench::Figure(std::string(what) + " " + how + ": peak memory against the rows added",
                             load->peakRatio, "x", varlo::bench::AtMost(kMaxPeakRatio),
                             varlo::bench::FormatMeasured(load->peakMb) + " MB");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load-call") == 0) return MeasureLoad(false, argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--load-steps") == 0) return MeasureLoad(true, argv[2]);

    const auto dir =
        std::filesystem::temp_directory_path() / ("bench-table-jobs-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);

    ReadingLog log;
    FillRecorded(log);
    std::printf("%zu rows, %.1f MB in the log; steps of %lld ms\n", log.RowCount(),
                log.MemoryBytes() / 1e6, static_cast<long long>(kStepBudget.count()));
    SilentDialogs dialogs;
    bool all = true;
    for (const char* name : {"log.txt", "log.xml"}) {
        const std::string path = (dir / name).string();
        const bool xml = varlo::IsXmlTableName(path);
        const StepRun call = RunInOneCall(*varlo::MakeSaveJob(log, path, dialogs));
        const StepRun steps = RunInSteps(*varlo::MakeSaveJob(log, path, dialogs));
        all = ReportSteps(xml ? "XML save" : "text save", call, steps) && all;
        std::printf("%-10s file %.1f MB\n", "", std::filesystem::file_size(path) / 1e6);
        all = ReportLoad(xml ? "XML load" : "text load", path) && all;
    }
    std::filesystem::remove_all(dir);
    return all ? 0 : 1;
}
