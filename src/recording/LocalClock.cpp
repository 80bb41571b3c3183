#include "recording/LocalClock.h"

#include <QDateTime>

namespace varlo {

LocalDateTime SystemLocalClock::Now() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {date.year(),   date.month(),  date.day(), time.hour(),
            time.minute(), time.second(), time.msec()};
}

std::string FormatTimeOfDay(int hour, int minute, int second, std::string_view timeSeparator) {
    const std::string_view separator = timeSeparator.empty() ? ":" : timeSeparator;
    auto twoDigits = [](int value) {
        std::string text = std::to_string(value);
        return text.size() < 2 ? "0" + text : text;
    };
    std::string text = twoDigits(hour);
    text += separator;
    text += twoDigits(minute);
    text += separator;
    text += twoDigits(second);
    return text;
}

}  // namespace varlo
