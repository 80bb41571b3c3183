#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <sstream>
#include <thread>

#include "links/ComDrv32.h"
#include "links/PseudoTerminal.h"
#include "platform/LinuxSerialPort.h"
#include "sim/MeterFrame.h"
#include "sim/Scenarios.h"
#include "sim/SimOptions.h"
#include "sim/SimRunner.h"

namespace varlo::sim {
namespace {

namespace fs = std::filesystem;

SimOptions Parse(const std::vector<std::string>& args) {
    SimParse p = ParseSimOptions(args);
    EXPECT_TRUE(p.options) << p.error;
    return p.options.value_or(SimOptions{});
}

std::string RunSim(const std::vector<std::string>& args, std::string& err, int expectStatus = 0) {
    std::ostringstream out, errStream;
    std::atomic<bool> stop{false};
    EXPECT_EQ(RunSimulation(Parse(args), out, errStream, stop), expectStatus);
    err = errStream.str();
    return out.str();
}

Bytes TourBytes(std::size_t frames) {
    const auto tour = TourFrames();
    Bytes bytes;
    for (std::size_t i = 0; i < frames; ++i) {
        const Bytes b = FrameBytes(tour[i % tour.size()]);
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    return bytes;
}

std::string TempPath(const std::string& name) {
    return (fs::temp_directory_path() / ("varlo-sim-" + std::to_string(getpid()) + "-" + name))
        .string();
}

TEST(SimRun, RawStreamIsTheScenarioWithASummary) {
    std::string err;
    const std::string out = RunSim({"--raw", "--rate", "0", "--count", "100"}, err);
    const Bytes expected = TourBytes(100);
    EXPECT_EQ(out, "\n" + std::string(expected.begin(), expected.end())) << "the tour loops";
    EXPECT_EQ(err, "sent 100 frames, corrupted 0 bytes in 0 frames\n");
}

TEST(SimRun, SeedRepeatsNoiseAndTheLogMatchesTheSummary) {
    const std::string logA = TempPath("a.log"), logB = TempPath("b.log");
    std::string errA, errB, errC;
    const auto args = [](const std::string& log, const char* seed) {
        return std::vector<std::string>{"--raw",      "--rate", "0",       "--count", "300",
                                        "--scenario", "random", "--noise", "0.01",    "--noise-log",
                                        log,          "--seed", seed};
    };
    const std::string a = RunSim(args(logA, "5"), errA);
    const std::string b = RunSim(args(logB, "5"), errB);
    const std::string c = RunSim(args(logB, "6"), errC);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    std::ifstream la(logA);
    std::string line;
    std::set<std::string> frames;
    std::size_t lines = 0;
    while (std::getline(la, line)) {
        ++lines;
        std::istringstream words(line);
        std::string frame, index, offset, k, kind;
        words >> frame >> index >> offset >> k >> kind;
        EXPECT_EQ(frame, "frame");
        EXPECT_EQ(offset, "offset");
        EXPECT_TRUE(kind == "flip" || kind == "drop" || kind == "insert") << line;
        frames.insert(index);
    }
    EXPECT_GT(lines, 10u);
    EXPECT_EQ(errA, "sent 300 frames, corrupted " + std::to_string(lines) + " bytes in " +
                        std::to_string(frames.size()) + " frames\n");
    fs::remove(logA);
    fs::remove(logB);
}

TEST(SimRun, ReplaySendsTheCaptureAndEnds) {
    const std::string capture = TempPath("capture.bin");
    const Bytes frames = TourBytes(3);
    {
        std::ofstream f(capture, std::ios::binary);
        f.write(reinterpret_cast<const char*>(frames.data()),
                static_cast<std::streamsize>(frames.size()));
        f << "tail";
    }
    std::string err;
    EXPECT_EQ(RunSim({"--raw", "--rate", "0", "--replay", capture}, err),
              std::string(frames.begin(), frames.end()) + "tail");
    EXPECT_EQ(err, "sent 4 frames, corrupted 0 bytes in 0 frames\n");
    EXPECT_EQ(RunSim({"--raw", "--rate", "0", "--replay", capture, "--count", "2"}, err).size(),
              28u);
    fs::remove(capture);

    RunSim({"--raw", "--replay", capture}, err, 2);
    EXPECT_NE(err.find("cannot read " + capture), std::string::npos) << err;
    const std::string folder = fs::temp_directory_path().string();
    RunSim({"--raw", "--replay", folder}, err, 2);
    EXPECT_EQ(err, "varlo-cli sim: cannot read " + folder + ": Is a directory\n");
}

TEST(SimRun, ANoiseLogThatCannotBeWrittenIsSaidAtOnceAndFailsTheRun) {
    std::string err;
    const std::string out =
        RunSim({"--raw", "--rate", "0", "--count", "200", "--scenario", "random", "--noise", "0.05",
                "--noise-log", "/dev/full", "--seed", "3"},
               err, 1);
    EXPECT_EQ(err.rfind("varlo-cli sim: cannot write /dev/full: No space left on device; the "
                        "noise log stops here\nsent 200 frames, corrupted ",
                        0),
              0u)
        << err;
    EXPECT_GT(out.size(), 200u * 13) << "the stream goes on without its log";
}

TEST(SimRun, ReportsCarryTheFrameBytes) {
    std::string err;
    const std::string out =
        RunSim({"--reports", "--idle", "2", "--rate", "0", "--count", "2", "--seed", "1"}, err);
    std::istringstream lines(out);
    std::string line;
    Bytes data;
    int idle = 0;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.size(), 26u) << line;
        const unsigned n = std::stoul(line.substr(3, 2), nullptr, 16) - 0xF0;
        if (n == 0) ++idle;
        for (unsigned k = 0; k < n; ++k) {
            data.push_back(
                static_cast<std::uint8_t>(std::stoul(line.substr(6 + 3 * k, 2), nullptr, 16)));
        }
    }
    EXPECT_EQ(data, TourBytes(2));
    EXPECT_EQ(idle, 4);
}

TEST(SimRun, PacedAtTheRateAsked) {
    std::string err;
    const auto start = std::chrono::steady_clock::now();
    RunSim({"--raw", "--rate", "50", "--count", "11"}, err);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 0.19) << "ten intervals of 20 ms";
    EXPECT_LT(seconds, 2.0);
}

// Collects what the simulator writes to its standard output, for a reader
// on another thread.
class SharedOutput : public std::stringbuf {
  public:
    std::string firstLine() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5),
                          [this] { return text_.find('\n') != std::string::npos; });
        return text_.substr(0, text_.find('\n'));
    }

  protected:
    int sync() override {
        std::lock_guard lock(mutex_);
        text_ = str();
        changed_.notify_all();
        return 0;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string text_;
};

TEST(SimRun, TerminalFeedsTheSerialDriver) {
    SharedOutput buffer;
    std::ostream out(&buffer);
    std::ostringstream err;
    std::atomic<bool> stop{false};
    const SimOptions options = Parse({"--rate", "0", "--count", "40", "--seed", "1"});
    int status = -1;
    std::thread sim([&] { status = RunSimulation(options, out, err, stop); });

    const std::string path = buffer.firstLine();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    LinuxSerialPortSystem ports({}, [&](const std::string& name) -> std::optional<std::string> {
        if (name == "VARLO_COM1") return path;
        return std::nullopt;
    });
    TCommPortDriver driver(ports, std::make_unique<ManualTimer>());
    driver.SetComPort(pnCOM1);
    driver.SetComPortDataBits(db7BITS);
    driver.SetComPortParity(ptODD);
    Bytes received;
    driver.SetOnReceiveData([&](void*, const std::uint8_t* data, std::uint32_t n) {
        received.insert(received.end(), data, data + n);
    });
    ASSERT_TRUE(driver.Connect()) << driver.LastConnectError().message;
    Bytes expected = TourBytes(40);
    expected.insert(expected.begin(), 0x0A);
    for (int i = 0; i < 200 && received.size() < expected.size(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        driver.PollTick();
    }
    stop = true;
    sim.join();
    EXPECT_EQ(received, expected) << "every frame from the first, none purged at connect; "
                                  << err.str();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err.str(), "sent 40 frames, corrupted 0 bytes in 0 frames\n");
}

TEST(SimRun, PortWritesToTheDeviceRaw) {
    varlo::testing::PseudoTerminal device;  // the test reads what the sim writes to its slave
    std::string err;
    RunSim({"--port", device.Path(), "--rate", "0", "--count", "5"}, err);
    EXPECT_EQ(err, "sent 5 frames, corrupted 0 bytes in 0 frames\n");
    termios t{};
    ASSERT_EQ(tcgetattr(device.Master(), &t), 0);
    EXPECT_EQ(t.c_lflag & ICANON, 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u) << "LF goes out as LF, not CR LF";
    Bytes expected = TourBytes(5);
    expected.insert(expected.begin(), 0x0A);
    // The terminal hands the bytes on in pieces of its own: read until all
    // have come, or five seconds have passed.
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (got.size() < expected.size() && std::chrono::steady_clock::now() < deadline) {
        pollfd p{device.Master(), POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        std::uint8_t buffer[256];
        const ssize_t n = ::read(device.Master(), buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        got.insert(got.end(), buffer, buffer + n);
    }
    EXPECT_EQ(got, expected);

    RunSim({"--port", "/dev/varlo-absent"}, err, 1);
    EXPECT_NE(err.find("cannot open /dev/varlo-absent"), std::string::npos) << err;

    // What is not a terminal is refused, and a file is left as it was.
    const std::string file = TempPath("not-a-port.txt");
    std::ofstream(file) << "keep me";
    RunSim({"--port", file, "--rate", "0", "--count", "5"}, err, 1);
    EXPECT_EQ(err, "varlo-cli sim: cannot open " + file + ": not a serial device\n");
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
    fs::remove(file);
}

// A receiver that holds the terminal open but takes nothing more (or has
// gone) leaves the simulator waiting to write; a stop ends that wait.
TEST(SimRun, StopEndsAWriteThatWaitsForTheReceiver) {
    varlo::testing::PseudoTerminal device;  // its slave is never read
    std::ostringstream out, err;
    std::atomic<bool> stop{false};
    const SimOptions options = Parse({"--port", device.Path(), "--rate", "0"});
    auto run =
        std::async(std::launch::async, [&] { return RunSimulation(options, out, err, stop); });
    // Wait until the terminal's queue is full: the master's output stops
    // growing.
    int queued = -1, stable = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (stable < 20 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        int now = 0;
        ioctl(device.Master(), FIONREAD, &now);
        stable = now > 0 && now == queued ? stable + 1 : 0;
        queued = now;
    }
    ASSERT_EQ(stable, 20) << "the queue never filled";
    stop = true;
    const bool ended = run.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!ended) {
        // Take the queue so that the stuck write finishes and the test can end.
        std::uint8_t buffer[4096];
        while (run.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
            [[maybe_unused]] const ssize_t n = ::read(device.Master(), buffer, sizeof buffer);
        }
    }
    EXPECT_TRUE(ended) << "the stop was not seen while the write waited";
    EXPECT_EQ(run.get(), 0);
    EXPECT_NE(err.str().find("sent "), std::string::npos) << err.str();
}

TEST(SimRun, StopEndsAWaitingTerminalCleanly) {
    SharedOutput buffer;
    std::ostream out(&buffer);
    std::ostringstream err;
    std::atomic<bool> stop{false};
    const SimOptions options = Parse({});
    std::thread sim([&] { RunSimulation(options, out, err, stop); });
    EXPECT_EQ(buffer.firstLine().rfind("/dev/pts/", 0), 0u);
    stop = true;
    sim.join();
    EXPECT_EQ(err.str(), "sent 0 frames, corrupted 0 bytes in 0 frames\n");
}

}  // namespace
}  // namespace varlo::sim
