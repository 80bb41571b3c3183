#pragma once

#include <time.h>

#include <atomic>
#include <cstddef>
#include <thread>

namespace varlo::bench {

// The processor time of `clock` (a thread's or the process's), in seconds.
inline double CpuClockSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A thread that sleeps to each 50 ms mark and does nothing else, from its
// construction until Stop: what the serial poll's 20 wake-ups a second cost
// this machine by themselves, measured beside the window and under the
// same load. Its own CPU time can be taken out of the process's.
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

}  // namespace varlo::bench
