#pragma once

#include <string>
#include <string_view>

namespace varlo {

// A local date and time. A value with Year 0 is a bare time of day (no date
// part), as the recall clock forms it.
struct LocalDateTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;

    bool HasDate() const { return Year != 0; }
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The local wall clock; tests set their own time.
class LocalClock {
  public:
    virtual ~LocalClock() = default;
    virtual LocalDateTime Now() const = 0;
};

// The computer's local time.
class SystemLocalClock : public LocalClock {
  public:
    LocalDateTime Now() const override;
};

// A clock that says what it is told.
class FixedLocalClock : public LocalClock {
  public:
    explicit FixedLocalClock(LocalDateTime now = {2026, 1, 1, 12, 0, 0, 0}) : now_(now) {}
    LocalDateTime Now() const override { return now_; }
    void Set(LocalDateTime now) { now_ = now; }

  private:
    LocalDateTime now_;
};

// "hh:mm:ss": 24-hour clock, two digits each, each colon standing for the
// given time separator (a colon when it is empty).
std::string FormatTimeOfDay(int hour, int minute, int second, std::string_view timeSeparator);

}  // namespace varlo
