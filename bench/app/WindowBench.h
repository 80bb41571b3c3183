#pragma once

// What the window's live benchmarks share: dialogs that answer nothing, a
// pseudo-terminal written from its master side, the process's and a
// thread's CPU clocks, a bare 50 ms wake-up loop to compare with, and an
// event loop that runs until a condition holds.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/Dialogs.h"
#include "common/FileDialogs.h"
#include "platform/TermiosMapping.h"

namespace varlo::bench {

// Every question is answered Yes; notices and errors go to standard error.
struct QuietDialogs : Dialogs {
    Answer Ask(const std::string&) override { return Answer::Yes; }
    void Inform(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void SystemMessage(const std::string&, const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

struct NoFiles : FileDialogs {
    std::optional<std::string> Execute(const FileDialogSpec&) override { return {}; }
};

// A pseudo-terminal whose slave side is raw; the benchmark writes the
// meter's bytes into the master side.
class MeterTerminal {
  public:
    MeterTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        slave_ = ptsname(master_);
        const int fd = open(slave_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return;
        termios t{};
        tcgetattr(fd, &t);
        MakeRawTermios(t);
        tcsetattr(fd, TCSANOW, &t);
        close(fd);
    }
    ~MeterTerminal() {
        if (master_ >= 0) close(master_);
    }
    MeterTerminal(const MeterTerminal&) = delete;
    MeterTerminal& operator=(const MeterTerminal&) = delete;

    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& Slave() const { return slave_; }

    // Writes all of `bytes` (one write unless the terminal is full).
    bool Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

  private:
    int master_ = -1;
    std::string slave_;
};

inline double CpuClockSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// CPU time of the whole process, every thread, in seconds.
inline double ProcessCpuSeconds() {
    return CpuClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

// A thread that sleeps to each 50 ms mark and does nothing else, from its
// construction until Stop: what the serial poll's 20 wake-ups a second cost
// this machine by themselves, measured beside the window and under the
// same load. It runs in the window's process; its own CPU time is taken
// out of the process's.
class WakeupFloor {
  public:
    WakeupFloor() : thread_([this] { Run(); }) {}
    ~WakeupFloor() { Stop(); }
    WakeupFloor(const WakeupFloor&) = delete;
    WakeupFloor& operator=(const WakeupFloor&) = delete;

    // Stops the thread; its CPU seconds from start to stop.
    double Stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        return cpu_;
    }
    std::size_t Wakeups() const { return wakeups_; }

  private:
    void Run() {
        const double start = CpuClockSeconds(CLOCK_THREAD_CPUTIME_ID);
        timespec at{};
        clock_gettime(CLOCK_MONOTONIC, &at);
        while (running_) {
            at.tv_nsec += 50'000'000;
            if (at.tv_nsec >= 1'000'000'000) {
                at.tv_nsec -= 1'000'000'000;
                ++at.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
            ++wakeups_;
        }
        cpu_ = CpuClockSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    }

    std::atomic<bool> running_{true};
    std::atomic<std::size_t> wakeups_{0};
    double cpu_ = 0;
    std::thread thread_;
};

// Runs the event loop for `seconds`, with nothing of its own to do.
inline void RunFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &loop,
                       &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds, looked at every 10 ms, or
// `seconds` have passed; whether it holds.
inline bool RunUntil(const std::function<bool()>& done, double seconds) {
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || static_cast<double>(waited.elapsed()) > seconds * 1000) loop.quit();
    });
    check.start(10);
    if (!done()) loop.exec();
    return done();
}

}  // namespace varlo::bench
