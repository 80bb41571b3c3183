#include "recording/RecallClock.h"

#include "common/VarloError.h"
#include "recording/NumberText.h"

namespace varlo {

namespace {

std::int32_t WholeNumber(std::string_view text) {
    const auto value = ParseWholeNumber(text);
    if (!value) throw InvalidIntegerError(std::string(text));
    return *value;
}

constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;

}  // namespace

RecallClock::RecallClock(const LocalClock& clock, Dialogs& dialogs)
    : RecallTime(clock.Now()), clock_(clock), dialogs_(dialogs) {}

void RecallClock::Load(std::string_view hour, std::string_view minute, std::string_view second) {
    // All three are converted before any is stored, so a bad text leaves
    // the clock as it was.
    const std::int32_t h = WholeNumber(hour);
    const std::int32_t m = WholeNumber(minute);
    const std::int32_t s = WholeNumber(second);
    Hour = h;
    Minute = m;
    Second = s;
}

void RecallClock::RecallCheckClick(bool checked, EditBox& TimeH, EditBox& TimeM, EditBox& TimeS) {
    TimeH.SetText(checked ? "00" : "23");
    TimeM.SetText(checked ? "00" : "59");
    TimeS.SetText(checked ? "00" : "59");
    Load(TimeH.Text(), TimeM.Text(), TimeS.Text());
}

void RecallClock::RecallCheckExit(std::string_view TimeH, std::string_view TimeM,
                                  std::string_view TimeS) {
    Load(TimeH, TimeM, TimeS);
}

void RecallClock::TimeHKeyUp(EditBox& TimeH, EditBox& TimeM, EditBox& TimeS) {
    struct Field {
        EditBox& edit;
        std::int32_t bound;
        std::int32_t& value;
    };
    for (Field field :
         {Field{TimeH, 23, Hour}, Field{TimeM, 59, Minute}, Field{TimeS, 59, Second}}) {
        const std::int32_t value = WholeNumber(field.edit.Text());
        if (value <= field.bound) {
            field.value = value;
        } else {
            dialogs_.Inform("Input error!");
            field.edit.SetText("00");
        }
    }
}

void RecallClock::AdvanceRecallClock(bool RecallCheck, std::string_view TimeInt) {
    if (!RecallCheck) {
        RecallTime = clock_.Now();
        return;
    }
    Interval = WholeNumber(TimeInt);
    // Formed directly from the numbers: seconds carry into minutes, minutes
    // into hours, hours wrap at 24. Loaded values beyond their range carry
    // the same way.
    const std::int64_t total = (static_cast<std::int64_t>(Hour) * 3600 +
                                static_cast<std::int64_t>(Minute) * 60 + Second + Interval) %
                               kSecondsPerDay;
    Hour = static_cast<std::int32_t>(total / 3600);
    Minute = static_cast<std::int32_t>(total / 60 % 60);
    Second = static_cast<std::int32_t>(total % 60);
    RecallTime = LocalDateTime{0, 0, 0, Hour, Minute, Second, 0};
}

std::string RecallClock::RecallTimeText(std::string_view timeSeparator) const {
    return FormatTimeOfDay(RecallTime.Hour, RecallTime.Minute, RecallTime.Second, timeSeparator);
}

}  // namespace varlo
