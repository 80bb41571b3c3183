// The program's start-up: the time from the exec of the real `varlo`
// executable to the end of its main window's first paint, as the program
// reports it on standard error when VARLO_REPORT_FIRST_PAINT is set (it then
// quits). The start is taken right before the spawn, on the same monotonic
// clock. Several runs offscreen and, where Xvfb is installed, several on a
// virtual X server started once beforehand; the best and the median of each.
// Target: at most 300 ms.
// Usage: bench_window_startup [RUNS]   (default 7)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "BenchFigure.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTargetMs = 300;
constexpr const char* kXvfb = "/usr/bin/Xvfb";

// The process's environment with `overrides` ("NAME=value") in place of
// the variables of the same names.
std::vector<std::string> Environment(const std::vector<std::string>& overrides) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](auto& o) {
            return o.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}

// Starts `argv` with `env`, its standard error (or standard output when
// `readStdout`) on a pipe whose reading end is returned in `out`.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int& out,
            bool readStdout = false) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], readStdout ? 1 : 2);
    posix_spawn_file_actions_addopen(&actions, readStdout ? 2 : 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return -1;
    }
    out = fds[0];
    return pid;
}

// The next line from `fd` that begins with `prefix`, waiting up to
// `seconds` in all; every other line read before it is added to `other`.
std::optional<std::string> ReadLineStarting(int fd, const std::string& prefix, double seconds,
                                            std::string& other) {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds));
    std::string pending;
    for (;;) {
        for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
            other += "  " + line + "\n";
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) return std::nullopt;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

void Reap(pid_t pid, double seconds) {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        usleep(10'000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// One start of the program: milliseconds from the spawn to the end of its
// first paint, or nothing when it reported none.
std::optional<double> StartOnce(const std::vector<std::string>& env) {
    int err = -1;
    const auto start = Clock::now();
    const pid_t pid = Spawn({VARLO_PROGRAM}, env, err);
    if (pid < 0) return std::nullopt;
    std::string other;
    const auto line = ReadLineStarting(err, "first paint ", 30, other);
    close(err);
    Reap(pid, 10);
    if (!line) {
        std::fprintf(stderr, "the program's standard error:\n%s", other.c_str());
        return std::nullopt;
    }
    const Clock::time_point painted{std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(std::strtoll(line->c_str(), nullptr, 10)))};
    return std::chrono::duration<double, std::milli>(painted - start).count();
}

// `runs` starts in `env`: every time in milliseconds, sorted, or an empty
// list when one of them failed.
std::vector<double> Starts(int runs, const std::vector<std::string>& env) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto ms = StartOnce(env);
        if (!ms) return {};
        times.push_back(*ms);
    }
    std::sort(times.begin(), times.end());
    return times;
}

// An X server of its own, on the display it chose; stopped with the object.
class VirtualScreen {
  public:
    VirtualScreen() {
        int out = -1;
        pid_ = Spawn({kXvfb, "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"},
                     Environment({}), out, true);
        if (pid_ < 0) return;
        // The server writes its display number once it takes connections.
        std::string other;
        const auto number = ReadLineStarting(out, "", 20, other);
        close(out);
        if (number && !number->empty()) display_ = ":" + *number;
    }
    ~VirtualScreen() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            Reap(pid_, 10);
        }
    }
    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    const std::string& Display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

bool Report(const std::string& where, int runs, const std::vector<double>& times) {
    if (times.empty()) {
        std::fprintf(stderr, "%s: the program reported no first paint\n", where.c_str());
        return false;
    }
    std::printf("start-up to the first paint, %s, %d runs (ms):", where.c_str(), runs);
    for (double t : times) std::printf(" %.1f", t);
    std::printf("\n");
    using namespace varlo::bench;
    const std::string note = std::to_string(runs) + " runs of the program, " + where;
    Figure("start-up to first paint, " + where + ", best", times.front(), "ms", AtMost(kTargetMs),
           note);
    Figure("start-up to first paint, " + where + ", median", times[times.size() / 2], "ms",
           AtMost(kTargetMs), note + "; worst " + FormatMeasured(times.back()) + " ms");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (runs < 1 || runs > 1000) {
        std::fprintf(stderr, "usage: bench_window_startup [RUNS, 1 to 1000]\n");
        return 2;
    }
    const std::string probe = "VARLO_REPORT_FIRST_PAINT=1";
    const std::string noSound = "PULSE_SERVER=unix:/nonexistent/varlo-bench";
    bool ok = Report("offscreen", runs,
                     Starts(runs, Environment({probe, noSound, "QT_QPA_PLATFORM=offscreen"})));
    if (access(kXvfb, X_OK) == 0) {
        VirtualScreen screen;
        if (screen.Display().empty()) {
            std::fprintf(stderr, "Xvfb did not start\n");
            return 1;
        }
        ok = Report("X server (Xvfb)", runs,
                    Starts(runs, Environment({probe, noSound, "QT_QPA_PLATFORM=xcb",
                                              "DISPLAY=" + screen.Display()}))) &&
             ok;
    } else {
        std::printf("no Xvfb here: start-up measured offscreen only\n");
    }
    return ok ? 0 : 1;
}
