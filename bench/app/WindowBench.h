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

#include "WakeupFloor.h"
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

// CPU time of the whole process, every thread, in seconds.
inline double ProcessCpuSeconds() {
    return CpuClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

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
