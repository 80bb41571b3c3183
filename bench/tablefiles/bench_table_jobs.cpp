// Saves and loads a log of ten million recorded rows in both table formats,
// in one call and in steps of the window's budget, and prints beside their
// targets: the total time of the steps against the one call, the longest
// step, and each load's peak memory against the rows it adds. A load runs in
// a fresh process of this program, so that its peak is its own.
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
#include <string>

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

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What a job in steps took.
struct StepRun {
    bool ok = false;
    double seconds = 0;
    double longestStepMs = 0;
    std::size_t steps = 0;
    double tailSeconds = 0;  // after the last row or byte: moving into place, giving back
};

StepRun RunInSteps(TableFileJob& job) {
    StepRun run;
    const auto start = Clock::now();
    Clock::time_point tailStart{};
    bool more = true;
    while (more) {
        const auto stepStart = Clock::now();
        more = job.Step(kStepBudget);
        run.longestStepMs =
            std::max(run.longestStepMs,
                     std::chrono::duration<double, std::milli>(Clock::now() - stepStart).count());
        ++run.steps;
        const auto progress = job.GetProgress();
        if (tailStart == Clock::time_point{} && progress.done == progress.total) {
            tailStart = Clock::now();
        }
    }
    job.Finish();
    run.seconds = SecondsSince(start);
    if (tailStart != Clock::time_point{}) run.tailSeconds = SecondsSince(tailStart);
    run.ok = job.GetOutcome() == TableFileJob::Outcome::Succeeded;
    return run;
}

bool Verdict(bool met) {
    std::printf("   %s\n", met ? "met" : "MISSED");
    return met;
}

// One call against its steps; true when the targets are met.
bool ReportSteps(const char* what, double oneCall, const StepRun& steps) {
    if (!steps.ok) {
        std::printf("%-30s FAILED\n", what);
        return false;
    }
    const double ratio = steps.seconds / oneCall;
    std::printf("%-30s %8.3f s one call, %8.3f s in %zu steps = %.2fx   target <= %.1fx", what,
                oneCall, steps.seconds, steps.steps, ratio, kMaxSlowdown);
    bool all = Verdict(ratio <= kMaxSlowdown);
    std::printf("%-30s %8.1f ms longest step (%.3f s after the last row)   target <= %.0f ms", "",
                steps.longestStepMs, steps.tailSeconds, kMaxStepMs);
    all = Verdict(steps.longestStepMs <= kMaxStepMs) && all;
    return all;
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
// and prints: ok rows seconds longest-step-ms peak-growth-bytes row-bytes.
int MeasureLoad(bool inSteps, const std::string& path) {
    SilentDialogs dialogs;
    const long before = StatusKb("VmRSS:");
    ReadingLog log;
    const auto job = varlo::MakeOpenJob(log, path, dialogs);
    StepRun run;
    if (inSteps) {
        run = RunInSteps(*job);
    } else {
        const auto start = Clock::now();
        run.ok = job->Run();
        run.seconds = SecondsSince(start);
    }
    const long peak = StatusKb("VmHWM:");
    std::printf("%d %zu %.6f %.3f %ld %zu %zu %.6f\n", run.ok ? 1 : 0, log.RowCount(), run.seconds,
                run.longestStepMs, (peak - before) * 1024, log.MemoryBytes(), run.steps,
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
    const int fields =
        std::fscanf(child, "%d %zu %lf %lf %zu %zu %zu %lf", &ok, &rows, &load.run.seconds,
                    &load.run.longestStepMs, &peak, &bytes, &load.run.steps, &load.run.tailSeconds);
    const bool exited = pclose(child) == 0;
    load.run.ok = fields == 8 && ok && exited && rows == kRows;
    load.peakMb = static_cast<double>(peak) / 1e6;
    load.peakRatio = bytes ? static_cast<double>(peak) / static_cast<double>(bytes) : 0;
    return load.run.ok;
}

bool ReportLoad(const char* what, const std::string& path) {
    LoadRun call, steps;
    if (!LoadInChild(false, path, call) || !LoadInChild(true, path, steps)) {
        std::printf("%-30s FAILED\n", what);
        return false;
    }
    bool all = ReportSteps(what, call.run.seconds, steps.run);
    for (const auto& [how, load] : {std::pair{"one call", &call}, std::pair{"in steps", &steps}}) {
        std::printf("%-30s %8.1f MB peak %s = %.2fx the rows it adds   target <= %.1fx", "",
                    load->peakMb, how, load->peakRatio, kMaxPeakRatio);
        all = Verdict(load->peakRatio <= kMaxPeakRatio) && all;
    }
    return all;
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
        const auto start = Clock::now();
        const bool ok = xml ? varlo::WriteTableXml(log, path) : varlo::WriteTableText(log, path);
        const double oneCall = SecondsSince(start);
        const auto job = varlo::MakeSaveJob(log, path, dialogs);
        const StepRun steps = RunInSteps(*job);
        all = ok && ReportSteps(xml ? "XML save" : "text save", oneCall, steps) && all;
        std::printf("%-30s %8.1f MB\n", "  file", std::filesystem::file_size(path) / 1e6);
        all = ReportLoad(xml ? "XML load" : "text load", path) && all;
    }
    std::filesystem::remove_all(dir);
    return all ? 0 : 1;
}
