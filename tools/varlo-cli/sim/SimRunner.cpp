#include "sim/SimRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <thread>

#include "platform/TermiosMapping.h"
#include "sim/HidReports.h"
#include "sim/Noise.h"

namespace varlo::sim {

using Clock = std::chrono::steady_clock;

double StepSeconds(const SimRate& rate, std::size_t bytes) {
    switch (rate.kind) {
        case RateKind::PerSecond:
            return 1.0 / rate.framesPerSecond;
        case RateKind::Line:
            return static_cast<double>(bytes) * 10.0 / 19200.0;
        case RateKind::Fastest:
            return 0;
    }
    return 0;
}

namespace {

// Where the steps go.
class StepWriter {
  public:
    virtual ~StepWriter() = default;
    // False when the output is gone or the run was stopped while writing.
    virtual bool write(const Bytes& step) = 0;
};

class RawWriter : public StepWriter {
  public:
    explicit RawWriter(std::ostream& out) : out_(out) {}
    bool write(const Bytes& step) override {
        out_.write(reinterpret_cast<const char*>(step.data()),
                   static_cast<std::streamsize>(step.size()));
        out_.flush();
        return out_.good();
    }

  private:
    std::ostream& out_;
};

class ReportWriter : public StepWriter {
  public:
    ReportWriter(std::ostream& out, std::uint64_t seed, int idle)
        : out_(out), random_(seed), idle_(idle) {}
    bool write(const Bytes& step) override {
        for (const std::string& line : FrameReports(step, random_, idle_)) out_ << line << '\n';
        out_.flush();
        return out_.good();
    }

  private:
    std::ostream& out_;
    SimRandom random_;
    int idle_;
};

class FdWriter : public StepWriter {
  public:
    FdWriter(int fd, std::string name, std::ostream& err, const std::atomic<bool>& stop)
        : fd_(fd), name_(std::move(name)), err_(err), stop_(stop) {}
    ~FdWriter() override { ::close(fd_); }
    bool write(const Bytes& step) override {
        std::size_t done = 0;
        while (done < step.size()) {
            const ssize_t n = ::write(fd_, step.data() + done, step.size() - done);
            if (n >= 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (errno == EINTR) {
                if (stop_) return false;
                continue;
            }
            if (errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                ::poll(&p, 1, 50);
                if (stop_) return false;
                continue;
            }
            err_ << "varlo-cli sim: writing to " << name_ << " failed: " << std::strerror(errno)
                 << "\n";
            failed_ = true;
            return false;
        }
        return true;
    }
    bool failed() const { return failed_; }
    void drain() {
        if (isatty(fd_)) tcdrain(fd_);
    }

  private:
    int fd_;
    std::string name_;
    std::ostream& err_;
    const std::atomic<bool>& stop_;
    bool failed_ = false;
};

void SleepUntil(Clock::time_point deadline, const std::atomic<bool>& stop) {
    while (!stop) {
        const auto now = Clock::now();
        if (now >= deadline) return;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(20)));
    }
}

// A pseudo-terminal whose slave side is raw; -1 with a message on failure.
int OpenTerminal(std::string& path, std::ostream& err) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        err << "varlo-cli sim: cannot open a pseudo-terminal: " << std::strerror(errno) << "\n";
        if (master >= 0) ::close(master);
        return -1;
    }
    path = name;
    // A new terminal starts cooked, which would turn CR into LF for a
    // reader that does not make it raw itself. The setting outlives this
    // descriptor.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        termios t{};
        if (tcgetattr(slave, &t) == 0) {
            MakeRawTermios(t);
            tcsetattr(slave, TCSANOW, &t);
        }
        ::close(slave);
    }
    return master;
}

// Waits until a program has opened the terminal's other side, then gives
// it a moment to program and purge the line before the first frame.
void WaitForReader(int master, const std::atomic<bool>& stop) {
    while (!stop) {
        pollfd p{master, POLLOUT, 0};
        if (::poll(&p, 1, 20) > 0 && !(p.revents & POLLHUP)) break;
    }
    SleepUntil(Clock::now() + std::chrono::milliseconds(100), stop);
}

// The device at 19200 baud 7O1, raw, DTR on; -1 with a message on failure.
int OpenDevice(const std::string& path, std::ostream& err) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err << "varlo-cli sim: cannot open " << path << ": " << std::strerror(errno) << "\n";
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    termios t{};
    if (isatty(fd) && tcgetattr(fd, &t) == 0) {
        MakeRawTermios(t);
        tcsetattr(fd, TCSANOW, &t);
        LineSettings line;
        line.baudRate = 19200;
        line.byteSize = 7;
        line.parity = 1;
        line.stopBits = 0;
        line.dtrControl = DtrControl::Enabled;
        const TermiosRequest request = MapLineSettings(line, t);
        tcsetattr(fd, TCSANOW, &request.lineTermios);  // a pseudo-terminal keeps 8 bits
    }
    return fd;
}

bool ReadFile(const std::string& path, Bytes& bytes, std::ostream& err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "varlo-cli sim: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        err << "varlo-cli sim: cannot read " << path << "\n";
        return false;
    }
    return true;
}

}  // namespace

int RunSimulation(const SimOptions& options, std::ostream& out, std::ostream& err,
                  const std::atomic<bool>& stop) {
    const std::uint64_t seed = options.seed ? *options.seed : std::random_device{}();

    std::unique_ptr<FrameSource> source;
    if (options.replay) {
        Bytes capture;
        if (!ReadFile(*options.replay, capture, err)) return 2;
        source = MakeReplaySource(SplitCapture(capture));
    } else {
        source = MakeScenarioSource(options.scenario, seed);
    }

    std::ofstream noiseLog;
    if (options.noiseLog) {
        noiseLog.open(*options.noiseLog, std::ios::trunc);
        if (!noiseLog) {
            err << "varlo-cli sim: cannot write " << *options.noiseLog << ": "
                << std::strerror(errno) << "\n";
            return 2;
        }
    }
    NoiseInjector noise(options.noise, seed ^ 0x6E6F697365ull);

    std::unique_ptr<StepWriter> writer;
    FdWriter* fdWriter = nullptr;
    switch (options.output) {
        case SimOutput::Raw:
            writer = std::make_unique<RawWriter>(out);
            break;
        case SimOutput::Reports:
            writer = std::make_unique<ReportWriter>(out, seed ^ 0x73706C6974ull, options.idle);
            break;
        case SimOutput::Terminal: {
            std::string path;
            const int fd = options.port ? OpenDevice(*options.port, err) : OpenTerminal(path, err);
            if (fd < 0) return 1;
            if (!options.port) {
                out << path << std::endl;
                WaitForReader(fd, stop);
            }
            auto w = std::make_unique<FdWriter>(fd, options.port ? *options.port : path, err, stop);
            fdWriter = w.get();
            writer = std::move(w);
            break;
        }
    }

    const bool leadingLineFeed = !options.replay && options.output != SimOutput::Reports;
    std::uint64_t sent = 0;
    std::vector<Corruption> log;
    auto deadline = Clock::now();
    while (!stop && (!options.count || sent < *options.count)) {
        std::optional<Bytes> clean = source->next();
        if (!clean) break;
        log.clear();
        Bytes step = noise.apply(sent, *clean, log);
        // A receiver forms a frame from the LF that ends the one before it:
        // the serial stream starts with one, so that its first frame counts.
        if (sent == 0 && leadingLineFeed) step.insert(step.begin(), 0x0A);
        if (noiseLog.is_open() && !log.empty()) {
            for (const Corruption& c : log) noiseLog << FormatCorruption(c) << '\n';
            noiseLog.flush();
        }
        SleepUntil(deadline, stop);
        if (stop) break;
        if (!writer->write(step)) break;
        ++sent;
        deadline += std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(StepSeconds(options.rate, step.size())));
        // A receiver that fell far behind does not earn a burst to catch up.
        if (options.rate.kind != RateKind::Fastest &&
            Clock::now() - deadline > std::chrono::seconds(1)) {
            deadline = Clock::now();
        }
    }
    if (fdWriter && !stop) {
        // Closing a terminal hangs it up and drops what its reader has not
        // taken yet: give the reader a few poll periods first. A device
        // sends out what is queued.
        if (options.port) {
            fdWriter->drain();
        } else {
            SleepUntil(Clock::now() + std::chrono::milliseconds(500), stop);
        }
    }
    err << "sent " << sent << " frames, corrupted " << noise.corruptedBytes() << " bytes in "
        << noise.corruptedFrames() << " frames" << std::endl;
    return fdWriter && fdWriter->failed() ? 1 : 0;
}

}  // namespace varlo::sim
