#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Dialogs.h"
#include "recording/EditBox.h"
#include "recording/LocalClock.h"

namespace varlo {

// The synthetic clock that stamps data recalled from the meter ("RecallData"):
// a start time set in the edits TimeH, TimeM, TimeS, moved on by the interval
// in TimeInt with every decoded frame while RecallCheck is checked.
class RecallClock {
  public:
    // RecallTime starts as the local date and time.
    RecallClock(const LocalClock& clock, Dialogs& dialogs);

    std::int32_t Hour = 0;
    std::int32_t Minute = 0;
    std::int32_t Second = 0;
    std::int32_t Interval = 0;  // seconds per frame, copied from TimeInt at each step
    // The local date and time of the last frame, or, while the clock runs,
    // the clock's time of day (no date).
    LocalDateTime RecallTime;

    // Click of RecallCheck (`checked` is its new state): the time edits get
    // "00" (checked) or "23", "59", "59" (unchecked), then the clock is
    // loaded from them.
    void RecallCheckClick(bool checked, EditBox& TimeH, EditBox& TimeM, EditBox& TimeS);
    // Focus leaving RecallCheck: loads the clock from the time edits, with
    // no range check.
    void RecallCheckExit(std::string_view TimeH, std::string_view TimeM, std::string_view TimeS);
    // Key release in a time edit: checks hour, minute and second in turn;
    // a value in range is loaded, one beyond it shows "Input error!" and the
    // edit's text becomes "00".
    void TimeHKeyUp(EditBox& TimeH, EditBox& TimeM, EditBox& TimeS);

    // Once per decoded frame. Unchecked: RecallTime := local date and time.
    // Checked: the clock moves on by TimeInt seconds (seconds and minutes
    // carry, hours wrap at 24) and RecallTime := its time of day. A TimeInt
    // that is not a whole number raises the "not a valid integer value"
    // error and changes nothing.
    void AdvanceRecallClock(bool RecallCheck, std::string_view TimeInt);

    // RecallTime's time of day as "hh:mm:ss" with the given time separator.
    std::string RecallTimeText(std::string_view timeSeparator) const;

  private:
    void Load(std::string_view hour, std::string_view minute, std::string_view second);

    const LocalClock& clock_;
    Dialogs& dialogs_;
};

}  // namespace varlo
