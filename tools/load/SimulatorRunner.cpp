#include "SimulatorRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace varlo::load {

namespace {

using Clock = std::chrono::steady_clock;

bool ParseNumber(std::string_view& text, std::string_view before, std::uint64_t& value) {
    if (text.substr(0, before.size()) != before) return false;
    text.remove_prefix(before.size());
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

std::optional<SimSummary> ParseSimSummary(std::string_view errors) {
    std::size_t at = 0;
    while (at <= errors.size()) {
        const std::size_t end = std::min(errors.find('\n', at), errors.size());
        std::string_view line = errors.substr(at, end - at);
        SimSummary s;
        if (ParseNumber(line, "sent ", s.sentFrames) &&
            ParseNumber(line, " frames, corrupted ", s.corruptedBytes) &&
            ParseNumber(line, " bytes in ", s.corruptedFrames) && line == " frames") {
            return s;
        }
        at = end + 1;
    }
    return std::nullopt;
}

SimulatorRunner::SimulatorRunner(std::string program) : program_(std::move(program)) {}

SimulatorRunner::~SimulatorRunner() {
    try {
        if (pid_ > 0) Stop();
    } catch (const std::exception&) {
        // The simulator was killed; nothing more can be done here.
    }
    CloseAll();
}

void SimulatorRunner::Start(const std::vector<std::string>& args) {
    if (pid_ > 0) throw std::logic_error("a simulator is running already");
    CloseAll();
    errors_.clear();
    exitStatus_ = -1;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        throw std::runtime_error("no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    std::vector<std::string> argv = {program_, "sim"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, program_.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
    if (spawned != 0) {
        pid_ = -1;
        CloseAll();
        throw std::runtime_error("cannot start " + program_ + ": " + std::strerror(spawned));
    }
    fcntl(err_, F_SETFL, fcntl(err_, F_GETFL) | O_NONBLOCK);
}

std::string SimulatorRunner::StartOnTerminal(const std::vector<std::string>& args,
                                             Milliseconds deadline) {
    Start(args);
    const auto end = Clock::now() + deadline;
    std::string line;
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<Milliseconds>(end - Clock::now());
        pollfd ready{out_, POLLIN, 0};
        char block[256];
        ssize_t got = 0;
        if (left.count() > 0 && poll(&ready, 1, static_cast<int>(left.count())) > 0) {
            got = ::read(out_, block, sizeof block);
        }
        if (got <= 0) {
            Stop();
            throw std::runtime_error("the simulator gave no terminal: " + errors_);
        }
        line.append(block, static_cast<std::size_t>(got));
    }
    return line.substr(0, line.find('\n'));
}

void SimulatorRunner::StartStream(const std::vector<std::string>& args) {
    Start(args);
}

std::size_t SimulatorRunner::Read(std::uint8_t* data, std::size_t size) {
    if (out_ < 0) return 0;
    for (;;) {
        const ssize_t got = ::read(out_, data, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

bool SimulatorRunner::Running() {
    return pid_ > 0 && !Reap(false);
}

void SimulatorRunner::DrainErrors(bool toEnd) {
    if (err_ < 0) return;
    char block[4096];
    for (;;) {
        const ssize_t got = ::read(err_, block, sizeof block);
        if (got > 0) {
            errors_.append(block, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN && toEnd) {
            // The child has ended, but a grandchild could hold the pipe: a
            // short wait for the rest, not an endless one.
            pollfd ready{err_, POLLIN, 0};
            if (poll(&ready, 1, 1000) > 0) continue;
        }
        return;
    }
}

// True once the simulator has ended (and was reaped).
bool SimulatorRunner::Reap(bool block) {
    if (pid_ <= 0) return true;
    DrainErrors(false);
    int status = 0;
    const pid_t done = waitpid(pid_, &status, block ? 0 : WNOHANG);
    if (done == 0) return false;
    if (done == pid_) exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = -1;
    DrainErrors(true);
    CloseAll();
    return true;
}

void SimulatorRunner::Wait(Milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    while (!Reap(false)) {
        if (Clock::now() > end) {
            kill(pid_, SIGKILL);
            Reap(true);
            throw std::runtime_error("the simulator did not end in time: " + errors_);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void SimulatorRunner::Stop(Milliseconds deadline) {
    if (pid_ <= 0) return;
    // The output's reader goes away first: a simulator blocked writing a
    // stream into the full pipe ends on the closed pipe. On a terminal it
    // has said all it writes there, its path.
    if (out_ >= 0) {
        ::close(out_);
        out_ = -1;
    }
    kill(pid_, SIGTERM);
    Wait(deadline);
}

void SimulatorRunner::CloseAll() {
    for (int* fd : {&out_, &err_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

}  // namespace varlo::load
