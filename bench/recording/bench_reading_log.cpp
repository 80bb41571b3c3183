// Memory and append time of the reading log at the "limitless" record limit:
// 10,000,000 rows of each of two streams, a drifting reading and the
// simulator's random frames (see LogRowStreams.h).
//
// For each stream, run in a process of its own so that one does not inherit
// the other's heap, it prints per row: the log's own count of bytes held
// (MemoryBytes), the growth of the heap as the C library reports it and the
// growth of the resident set, each beside the target of 40 bytes, and the
// mean time of one append (the rows are made beforehand, a batch at a time,
// and only the appends are timed, by the clock and by the thread's CPU time,
// which a machine busy with other work disturbs less).

#include <malloc.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchFigure.h"
#include "LogRowStreams.h"
#include "recording/ReadingLog.h"

namespace {

constexpr double kTargetBytesPerRow = 40.0;
constexpr std::size_t kBatchRows = 4096;

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::chrono::nanoseconds ThreadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Appends `rows` rows of the stream to a fresh log and prints the figures.
void Measure(varlo::bench::LogRowStream& stream, std::size_t rows) {
    std::vector<varlo::bench::LogRow> batch(kBatchRows);
    stream.NextBatch(batch);  // the stream's own start-up, outside the figures

    const std::size_t heapBefore = HeapInUse();
    const std::size_t residentBefore = ResidentBytes();
    varlo::ReadingLog log;
    std::chrono::nanoseconds appendTime{0}, appendCpuTime{0};
    std::size_t done = 0;
    while (done < rows) {
        if (done > 0) stream.NextBatch(batch);
        const std::size_t count = std::min(batch.size(), rows - done);
        const auto start = std::chrono::steady_clock::now();
        const auto cpuStart = ThreadCpuTime();
        for (std::size_t i = 0; i < count; ++i) {
            const varlo::bench::LogRow& r = batch[i];
            log.AppendRow(r.no, r.time, r.function, r.value, r.unit, r.judge, r.nval);
        }
        appendCpuTime += ThreadCpuTime() - cpuStart;
        appendTime += std::chrono::steady_clock::now() - start;
        done += count;
    }
    const std::size_t heapAfter = HeapInUse();
    const std::size_t residentAfter = ResidentBytes();

    const auto perRow = [rows](double bytes) { return bytes / static_cast<double>(rows); };
    std::printf("reading log, %s stream, %zu rows (last row: %s %s %s %s %s)\n", stream.Name(),
                rows, log.Text(rows - 1, varlo::ReadingLog::kTime).c_str(),
                log.Text(rows - 1, varlo::ReadingLog::kFunction).c_str(),
                log.Text(rows - 1, varlo::ReadingLog::kValue).c_str(),
                log.Text(rows - 1, varlo::ReadingLog::kUnit).c_str(),
                log.Text(rows - 1, varlo::ReadingLog::kAuto).c_str());
    std::fflush(stdout);
    using varlo::bench::AtMost;
    using varlo::bench::Figure;
    const std::string name = std::string(stream.Name()) + " stream, ";
    const std::string at = "at " + std::to_string(rows) + " rows";
    Figure(name + "bytes a row held by the log", perRow(log.MemoryBytes()), "B",
           AtMost(kTargetBytesPerRow), at + ", its own count (MemoryBytes)");
    Figure(name + "bytes a row of heap growth",
           perRow(static_cast<double>(heapAfter) - static_cast<double>(heapBefore)), "B",
           AtMost(kTargetBytesPerRow), at + ", the allocator's count (mallinfo2)");
    Figure(name + "bytes a row of resident growth",
           perRow(static_cast<double>(residentAfter) - static_cast<double>(residentBefore)), "B",
           AtMost(kTargetBytesPerRow), at + ", the process's resident set (statm)");
    const double cpuNs = static_cast<double>(appendCpuTime.count()) / static_cast<double>(rows);
    Figure(name + "time per append",
           static_cast<double>(appendTime.count()) / static_cast<double>(rows), "ns",
           varlo::bench::kNoTarget, "CPU time " + varlo::bench::FormatMeasured(cpuNs) + " ns");
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;
    if (rows == 0) {
        std::fprintf(stderr, "usage: bench_reading_log [ROWS]\n");
        return 2;
    }
    using Factory = std::unique_ptr<varlo::bench::LogRowStream> (*)();
    const Factory streams[] = {varlo::bench::MakeDriftingStream,
                               varlo::bench::MakeRandomFrameStream};
    int status = 0;
    for (const Factory make : streams) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child < 0) {
            std::perror("fork");
            return 2;
        }
        if (child == 0) {
            const auto stream = make();
            Measure(*stream, rows);
            _exit(0);
        }
        int childStatus = 0;
        if (waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus) ||
            WEXITSTATUS(childStatus) != 0) {
            status = 1;
        }
    }
    return status;
}
