// The pieces the load harness measures with: the simulator as a child
// process (the real varlo-cli), noise logs, the process counters and the
// event-loop watch.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <sstream>
#include <thread>
#include <vector>

#include "EventLoopWatch.h"
#include "NoiseLogReader.h"
#include "ProcessCounters.h"
#include "SimulatorRunner.h"

namespace varlo::load {
namespace {

using namespace std::chrono_literals;

TEST(SimSummary, FoundAmongTheLinesOrNot) {
    const struct {
        const char* errors;
        bool found;
        SimSummary summary;
    } cases[] = {
        {"sent 12 frames, corrupted 3 bytes in 2 frames\n", true, {12, 3, 2}},
        {"varlo-cli sim: something\nsent 0 frames, corrupted 0 bytes in 0 frames", true, {0, 0, 0}},
        {"sent 12 frames, corrupted 3 bytes in 2 frames and more\n", false, {}},
        {"sent x frames, corrupted 3 bytes in 2 frames\n", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        const auto summary = ParseSimSummary(c.errors);
        ASSERT_EQ(summary.has_value(), c.found) << c.errors;
        if (!summary) continue;
        EXPECT_EQ(summary->sentFrames, c.summary.sentFrames);
        EXPECT_EQ(summary->corruptedBytes, c.summary.corruptedBytes);
        EXPECT_EQ(summary->corruptedFrames, c.summary.corruptedFrames);
    }
}

// Reads a terminal until `bytes` bytes came or the deadline passed.
std::size_t ReadTerminal(const std::string& path, std::size_t bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY);
    if (fd < 0) return 0;
    std::size_t got = 0;
    const auto end = std::chrono::steady_clock::now() + 20s;
    char block[256];
    while (got < bytes && std::chrono::steady_clock::now() < end) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return got;
}

// A run of --count frames on a terminal ends by itself with its summary;
// a run without end stops on request with its summary; neither leaves a
// descriptor behind.
TEST(SimulatorRunner, RunsOnATerminalAndLeavesNothingOpen) {
    const int descriptors = OpenDescriptors();
    {
        SimulatorRunner sim(VARLO_CLI_PATH);
        const std::string path =
            sim.StartOnTerminal({"--scenario", "steady", "--rate", "1000", "--count", "3"});
        EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
        // The stream's leading line feed, then three frames of 14 bytes.
        EXPECT_EQ(ReadTerminal(path, 43), 43u);
        sim.Wait(20s);
        EXPECT_EQ(sim.ExitStatus(), 0) << sim.Errors();
        ASSERT_TRUE(sim.Summary()) << sim.Errors();
        EXPECT_EQ(sim.Summary()->sentFrames, 3u);
        EXPECT_FALSE(sim.Running());
    }
    {
        SimulatorRunner sim(VARLO_CLI_PATH);
        const std::string path = sim.StartOnTerminal({"--scenario", "steady", "--rate", "100"});
        EXPECT_GE(ReadTerminal(path, 15), 15u);
        EXPECT_TRUE(sim.Running());
        sim.Stop();
        EXPECT_EQ(sim.ExitStatus(), 0) << sim.Errors();
        ASSERT_TRUE(sim.Summary()) << sim.Errors();
        EXPECT_GE(sim.Summary()->sentFrames, 1u);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(SimulatorRunner, StreamsThroughAPipe) {
    SimulatorRunner sim(VARLO_CLI_PATH);
    sim.StartStream(
        {"--raw", "--scenario", "random", "--seed", "4", "--rate", "0", "--count", "1000"});
    std::vector<std::uint8_t> stream;
    std::uint8_t block[2048];
    while (const std::size_t got = sim.Read(block, sizeof block)) {
        stream.insert(stream.end(), block, block + got);
    }
    sim.Wait(20s);
    EXPECT_EQ(stream.size(), 1u + 1000u * 14u);
    ASSERT_TRUE(sim.Summary()) << sim.Errors();
    EXPECT_EQ(sim.Summary()->sentFrames, 1000u);
}

// A simulator that prints no terminal (refused arguments) is an error
// with what it said.
TEST(SimulatorRunner, SaysWhyWhenNoTerminalCame) {
    SimulatorRunner sim(VARLO_CLI_PATH);
    try {
        sim.StartOnTerminal({"--rate", "-4"});
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::strstr(error.what(), "rate"), nullptr) << error.what();
    }
}

TEST(NoiseLog, ReadsTheLinesAndMarksTheFrames) {
    std::istringstream log(
        "frame 4 offset 13 drop\n"
        "frame 4 offset 2 flip\n"
        "frame 9 offset 0 insert\n");
    const std::vector<NoiseEntry> entries = ParseNoiseLog(log, "noise.log");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].frame, 4u);
    EXPECT_EQ(entries[0].offset, 13u);
    EXPECT_EQ(entries[0].kind, NoiseEntry::Kind::Drop);
    EXPECT_EQ(entries[2].kind, NoiseEntry::Kind::Insert);
    const NoiseMarks marks(entries);
    EXPECT_EQ(marks.MarkedFrames(), 2u);
    EXPECT_EQ(marks.Count(NoiseEntry::Kind::Flip), 1u);
    // A frame after a marked one is touched too: its start is the end of
    // the one before.
    const struct {
        std::uint64_t frame;
        bool marked, touched;
    } frames[] = {{3, false, false}, {4, true, true}, {5, false, true},
                  {6, false, false}, {9, true, true}, {10, false, true}};
    for (const auto& f : frames) {
        EXPECT_EQ(marks.Marked(f.frame), f.marked) << f.frame;
        EXPECT_EQ(marks.Touched(f.frame), f.touched) << f.frame;
    }
}

TEST(NoiseLog, ALineItCannotUseNamesItsPlace) {
    for (const char* bad : {"frame 4 offset 13 smudge", "frame -1 offset 0 flip",
                            "frame 4 offset 13", "frame 4 offset 13 flip extra", "sent 3"}) {
        std::istringstream log(std::string("frame 1 offset 1 flip\n") + bad + "\n");
        try {
            ParseNoiseLog(log, "noise.log");
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()).rfind("noise.log:2: ", 0), 0u) << error.what();
        }
    }
}

TEST(ProcessCounters, FollowWhatTheProcessHolds) {
    const ProcessCounts before = CountProcess();
    const int fd = ::open("/dev/null", O_RDONLY);
    EXPECT_EQ(OpenDescriptors(), before.descriptors + 1);
    ::close(fd);
    EXPECT_EQ(OpenDescriptors(), before.descriptors);

    std::atomic<bool> stop{false};
    std::thread worker([&] {
        while (!stop) std::this_thread::sleep_for(1ms);
    });
    EXPECT_EQ(ThreadCount(), before.threads + 1);
    stop = true;
    worker.join();

    const std::size_t size = 64u << 20;
    std::vector<char> touched(size, 1);
    EXPECT_GE(ResidentBytes(), before.residentBytes + size / 2);
    EXPECT_EQ(touched[size - 1], 1);
}

// Runs the event loop with `handler` called once, 50 ms in, and ended
// at `endMs`.
void RunOnce(QCoreApplication& app, const char* timerName, std::function<void()> handler,
             int endMs) {
    QTimer timer;
    timer.setObjectName(timerName);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, handler);
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &app, &QCoreApplication::quit);
    timer.start(50);
    end.start(endMs);
    app.exec();
}

// A handler that holds the loop for 300 ms waiting is the longest gap,
// named by its timer, over the limit, with nearly no CPU time of the
// thread; one that works for 120 ms of its own processor time (however
// long a busy machine stretches that) is the longest gap in CPU time.
TEST(EventLoopWatch, NamesTheHandlerThatHeldTheLoop) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    EventLoopWatch watch;
    watch.SetLimitMs(100);
    watch.Start();

    RunOnce(
        app, "Sleeper", [] { std::this_thread::sleep_for(300ms); }, 500);
    EXPECT_GE(watch.LongestGapMs(), 300);
    EXPECT_NE(watch.LongestGapCulprit().find("QTimer 'Sleeper' Timer"), std::string::npos)
        << watch.LongestGapCulprit();
    EXPECT_LT(watch.LongestGapCpuMs(), 50);
    EXPECT_GE(watch.GapsOverLimit(), 1u);
    EXPECT_GT(watch.Ticks(), 10u);

    watch.Reset();
    EXPECT_EQ(watch.LongestGapMs(), 0);
    EXPECT_EQ(watch.LongestCpuGapMs(), 0);
    EXPECT_EQ(watch.GapsOverLimit(), 0u);

    RunOnce(
        app, "Worker",
        [] {
            const double end = ThreadCpuMs() + 120;
            volatile unsigned spin = 0;
            while (ThreadCpuMs() < end) spin = spin + 1;
        },
        300);
    EXPECT_GE(watch.LongestCpuGapMs(), 100);
    EXPECT_GE(watch.LongestGapMs(), 120);
    EXPECT_GE(watch.GapsOverLimit(), 1u);
}

}  // namespace
}  // namespace varlo::load
