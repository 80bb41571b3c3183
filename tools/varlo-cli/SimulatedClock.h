#pragma once

#include <cstdint>

#include "recording/LocalClock.h"

namespace varlo::cli {

// The clock of a replay: a time of day in milliseconds that the replay moves
// on, wrapping at 24:00:00.
class SimulatedClock : public LocalClock {
  public:
    static constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;
    void SetMs(std::int64_t ms) { ms_ = ms; }
    std::int64_t Ms() const { return ms_; }
    LocalDateTime Now() const override {
        const std::int64_t ofDay = ((ms_ % kDayMs) + kDayMs) % kDayMs;
        return LocalDateTime{2026,
                             1,
                             1,
                             static_cast<int>(ofDay / 3600000),
                             static_cast<int>(ofDay / 60000 % 60),
                             static_cast<int>(ofDay / 1000 % 60),
                             static_cast<int>(ofDay % 1000)};
    }

  private:
    std::int64_t ms_ = 0;
};

}  // namespace varlo::cli
