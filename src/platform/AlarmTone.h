#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace varlo {

// The alarm beep. Many desktops silence the X bell, so the tone is played
// through the sound server (PulseAudio, or PipeWire's PulseAudio service)
// where there is one, and through the system bell otherwise.
class AlarmBeep {
  public:
    virtual ~AlarmBeep() = default;
    virtual void Beep() = 0;
};

// One short tone: 16-bit signed mono samples at `sampleRate`, a sine of
// `frequency` Hz, `milliseconds` long, faded in and out over 5 ms so that
// it starts and stops without a click.
std::vector<std::int16_t> AlarmToneSamples(int sampleRate, double frequency, int milliseconds);

// Plays the alarm tone on the sound server from a worker thread, so the
// GUI thread never waits for the sound. A beep asked for while one is
// playing is merged into it: a meter sending beyond the limit at 2 frames a
// second gives a steady beat, never a growing queue. When no sound server
// answers (no session, a server gone), every beep goes to `systemBell`,
// on the caller's thread.
class SoundServerBeep : public AlarmBeep {
  public:
    explicit SoundServerBeep(std::function<void()> systemBell);
    ~SoundServerBeep() override;
    SoundServerBeep(const SoundServerBeep&) = delete;
    SoundServerBeep& operator=(const SoundServerBeep&) = delete;

    void Beep() override;
    // Whether the sound server took the stream; false means the bell.
    bool UsesSoundServer() const;

  private:
    struct Stream;
    void Run();

    std::function<void()> systemBell_;
    std::unique_ptr<Stream> stream_;
    std::vector<std::int16_t> tone_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
    bool stopping_ = false;
    bool broken_ = false;
    std::thread worker_;
};

}  // namespace varlo
