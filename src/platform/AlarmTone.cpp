#include "platform/AlarmTone.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varlo {

namespace {
constexpr int kSampleRate = 44100;
constexpr double kFrequency = 2000.0;  // a meter's buzzer sits in the kilohertz range
constexpr int kToneMs = 120;
constexpr double kAmplitude = 0.35 * 32767.0;
constexpr int kFadeMs = 5;
}  // namespace

std::vector<std::int16_t> AlarmToneSamples(int sampleRate, double frequency, int milliseconds) {
    const auto count = static_cast<std::size_t>(
        std::max(0, sampleRate) * static_cast<long long>(std::max(0, milliseconds)) / 1000);
    const std::size_t fade =
        std::min(count / 2, static_cast<std::size_t>(sampleRate) * kFadeMs / 1000);
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        double gain = 1.0;
        if (fade > 0 && i < fade) {
            gain = static_cast<double>(i) / static_cast<double>(fade);
        } else if (fade > 0 && i >= count - fade) {
            gain = static_cast<double>(count - 1 - i) / static_cast<double>(fade);
        }
        const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) /
                             static_cast<double>(sampleRate);
        samples[i] = static_cast<std::int16_t>(std::lround(kAmplitude * gain * std::sin(phase)));
    }
    return samples;
}

// The playback stream on the sound server, opened once.
struct SoundServerBeep::Stream {
    pa_simple* handle = nullptr;
    ~Stream() {
        if (handle != nullptr) {
            pa_simple_free(handle);
        }
    }
};

SoundServerBeep::SoundServerBeep(std::function<void()> systemBell)
    : systemBell_(std::move(systemBell)),
      tone_(AlarmToneSamples(kSampleRate, kFrequency, kToneMs)) {
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16LE;
    format.rate = kSampleRate;
    format.channels = 1;
    int error = 0;
    // Connecting fails at once when there is no server; the bell serves then.
    pa_simple* handle = pa_simple_new(nullptr, "VARLO", PA_STREAM_PLAYBACK, nullptr, "alarm beep",
                                      &format, nullptr, nullptr, &error);
    if (handle == nullptr) {
        return;
    }
    stream_ = std::make_unique<Stream>();
    stream_->handle = handle;
    worker_ = std::thread([this] { Run(); });
}

SoundServerBeep::~SoundServerBeep() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool SoundServerBeep::UsesSoundServer() const {
    std::lock_guard lock(mutex_);
    return stream_ != nullptr && !broken_;
}

void SoundServerBeep::Beep() {
    {
        std::lock_guard lock(mutex_);
        if (stream_ != nullptr && !broken_) {
            pending_ = true;
            wake_.notify_one();
            return;
        }
    }
    if (systemBell_) {
        systemBell_();
    }
}

void SoundServerBeep::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (stopping_) {
            return;
        }
        pending_ = false;
        lock.unlock();
        int error = 0;
        const bool played = pa_simple_write(stream_->handle, tone_.data(),
                                            tone_.size() * sizeof(std::int16_t), &error) == 0 &&
                            pa_simple_drain(stream_->handle, &error) == 0;
        lock.lock();
        if (!played) {
            // The server went away: later beeps use the bell.
            broken_ = true;
            return;
        }
    }
}

}  // namespace varlo
