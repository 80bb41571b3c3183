#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlo::load {

// The line a simulator run ends with on standard error:
// "sent N frames, corrupted K bytes in J frames".
struct SimSummary {
    std::uint64_t sentFrames = 0;
    std::uint64_t corruptedBytes = 0;
    std::uint64_t corruptedFrames = 0;
};
std::optional<SimSummary> ParseSimSummary(std::string_view errors);

// Runs `varlo-cli sim` as a child process: on a pseudo-terminal of its own
// (the path it prints is what a receiver opens), or writing its stream into
// a pipe that the harness reads. Every descriptor it opens is closed again
// by the time the simulator has ended, so that a harness counting its
// descriptors sees none left behind.
class SimulatorRunner {
  public:
    using Milliseconds = std::chrono::milliseconds;

    // `program` is the varlo-cli executable.
    explicit SimulatorRunner(std::string program);
    ~SimulatorRunner();  // a simulator still running is stopped
    SimulatorRunner(const SimulatorRunner&) = delete;
    SimulatorRunner& operator=(const SimulatorRunner&) = delete;

    // `varlo-cli sim ARGS` on a new pseudo-terminal: returns the terminal's
    // path, the first line the simulator prints. Throws std::runtime_error
    // with what the simulator said when it prints no path in time.
    std::string StartOnTerminal(const std::vector<std::string>& args,
                                Milliseconds deadline = Milliseconds(10000));
    // `varlo-cli sim ARGS` with its standard output into a pipe (ARGS
    // name --raw or --reports): Read takes the stream.
    void StartStream(const std::vector<std::string>& args);
    // Blocks until some bytes of the stream come; 0 at its end.
    std::size_t Read(std::uint8_t* data, std::size_t size);

    pid_t Pid() const { return pid_; }
    bool Running();

    // SIGTERM, then waits for the end (SIGKILL and an exception past the
    // deadline). A stream's pipe is closed first, so that a simulator
    // blocked on a full pipe ends too.
    void Stop(Milliseconds deadline = Milliseconds(10000));
    // Waits for a run of --count frames to end by itself.
    void Wait(Milliseconds deadline);

    // After the end: the exit status (-1 when killed by a signal), all
    // the simulator said on standard error, and its summary line.
    int ExitStatus() const { return exitStatus_; }
    const std::string& Errors() const { return errors_; }
    std::optional<SimSummary> Summary() const { return ParseSimSummary(errors_); }

  private:
    void Start(const std::vector<std::string>& args);
    void DrainErrors(bool toEnd);
    bool Reap(bool block);
    void CloseAll();

    std::string program_;
    pid_t pid_ = -1;
    int out_ = -1;  // the simulator's standard output
    int err_ = -1;  // its standard error
    std::string errors_;
    int exitStatus_ = -1;
};

}  // namespace varlo::load
