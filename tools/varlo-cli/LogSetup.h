#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "followup/MeterSession.h"

namespace varlo::cli {

// The options of `varlo-cli log`: each stands for a control of the window,
// with the window's default.
struct LogOptions : ReadOptions {
    bool noRepeat = false;
    std::optional<std::string> sample;
    std::optional<std::string> limit;
    std::optional<std::string> hi;
    std::optional<std::string> lo;
    std::optional<std::string> alarmHigh;
    std::optional<std::string> alarmLow;
    bool noContinue = false;
    std::optional<bool> fill;
    std::optional<std::string> recall;
    std::optional<std::string> interval;
    std::int64_t startMs = 0;
    std::int64_t periodMs = 500;
    bool chart = false;
    // -o FILE: the log goes to FILE at the end, nothing to standard output.
    // "-o -" leaves it unset: the rows go to standard output as they come.
    std::optional<std::string> output;
    std::string input;
    // Options this build knows beyond the replay ones, kept for the sources
    // that read them (name, value).
    std::vector<std::pair<std::string, std::string>> extra;
};

extern const char* const kLogUsage;

// Parses the options; throws UsageError. `extraValued` lists further options
// that take a value, `extraFlags` further flags; both land in `extra`.
LogOptions ParseLogOptions(const std::vector<std::string>& args,
                           const std::vector<std::string>& extraValued = {},
                           const std::vector<std::string>& extraFlags = {});

// Sets the session's controls as the options say, as a user would type and
// click them. A text the control's key filter or change check would refuse
// or replace is a UsageError naming the option.
void ApplyLogOptions(const LogOptions& options, MeterSession& session);

// "N frames decoded, M rejected, K dropped; R rows; L over limit, S sampling,
// P repeats; B beeps"
std::string LogSummary(const MeterSession& session);
// "chart points=N page=P pages=C window=MIN..MAX active=A"
std::string ChartSummary(const MeterSession& session);

// Parses "HH:MM:SS" within a day; nullopt otherwise.
std::optional<std::int64_t> ParseTimeOfDayMs(const std::string& text);

}  // namespace varlo::cli
