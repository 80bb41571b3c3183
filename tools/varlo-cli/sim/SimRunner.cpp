#include "sim/SimRunner.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <thread>

#include "platform/SerialOutput.h"
#include "sim/HidReports.h"
#include "sim/Noise.h"
#include "sim/NoiseLog.h"

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

class DeviceWriter : public StepWriter {
  public:
    DeviceWriter(std::unique_ptr<SerialOutput> output, std::ostream& err,
                 const std::atomic<bool>& stop)
        : output_(std::move(output)), err_(err), stop_(stop) {}
    bool write(const Bytes& step) override {
        std::string error;
        if (output_->Write(step.data(), step.size(), stop_, error)) return true;
        if (!error.empty()) {
            err_ << "varlo-cli sim: " << error << "\n";
            failed_ = true;
        }
        return false;
    }
    bool failed() const { return failed_; }
    SerialOutput& output() { return *output_; }

  private:
    std::unique_ptr<SerialOutput> output_;
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

bool ReadFile(const std::string& path, Bytes& bytes, std::ostream& err) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        err << "varlo-cli sim: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    std::uint8_t block[65536];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
    }
    // A folder opens but cannot be read (EISDIR).
    const int readError = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (readError != 0) {
        err << "varlo-cli sim: cannot read " << path << ": " << std::strerror(readError) << "\n";
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

    NoiseLog noiseLog;
    if (options.noiseLog && !noiseLog.Open(*options.noiseLog, err)) return 2;
    NoiseInjector noise(options.noise, seed ^ 0x6E6F697365ull);

    std::unique_ptr<StepWriter> writer;
    DeviceWriter* deviceWriter = nullptr;
    switch (options.output) {
        case SimOutput::Raw:
            writer = std::make_unique<RawWriter>(out);
            break;
        case SimOutput::Reports:
            writer = std::make_unique<ReportWriter>(out, seed ^ 0x73706C6974ull, options.idle);
            break;
        case SimOutput::Terminal: {
            std::string error;
            auto output = options.port ? SerialOutput::OpenDevice(*options.port, error)
                                       : SerialOutput::OpenPseudoTerminal(error);
            if (!output) {
                err << "varlo-cli sim: " << error << "\n";
                return 1;
            }
            if (!options.port) {
                out << output->Path() << std::endl;
                // Give the receiver a moment to program and purge the line
                // before the first frame.
                if (output->WaitForReader(stop)) {
                    SleepUntil(Clock::now() + std::chrono::milliseconds(100), stop);
                }
            }
            auto w = std::make_unique<DeviceWriter>(std::move(output), err, stop);
            deviceWriter = w.get();
            writer = std::move(w);
            break;
        }
    }

    const bool leadingLineFeed = !options.replay && options.output != SimOutput::Reports;
    std::uint64_t sent = 0;
    std::uint64_t corruptedBytes = 0;
    std::uint64_t corruptedFrames = 0;
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
        SleepUntil(deadline, stop);
        if (stop) break;
        if (!writer->write(step)) break;
        ++sent;
        // Only what was sent is counted and logged.
        if (!log.empty()) {
            corruptedBytes += log.size();
            ++corruptedFrames;
            noiseLog.Write(log, err);
        }
        deadline += std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(StepSeconds(options.rate, step.size())));
        // A receiver that fell far behind does not earn a burst to catch up.
        if (options.rate.kind != RateKind::Fastest &&
            Clock::now() - deadline > std::chrono::seconds(1)) {
            deadline = Clock::now();
        }
    }
    if (deviceWriter && !stop) {
        // Closing a terminal hangs it up and drops what its reader has not
        // taken yet: give the reader a few poll periods first. A device
        // sends out what is queued.
        if (options.port) {
            deviceWriter->output().Drain();
        } else {
            SleepUntil(Clock::now() + std::chrono::milliseconds(500), stop);
        }
    }
    err << "sent " << sent << " frames, corrupted " << corruptedBytes << " bytes in "
        << corruptedFrames << " frames" << std::endl;
    return (deviceWriter && deviceWriter->failed()) || noiseLog.Failed() ? 1 : 0;
}

}  // namespace varlo::sim
