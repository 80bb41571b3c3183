#pragma once

// One figure of a benchmark, written as one line on standard output that
// scripts/bench gathers from every benchmark into its table:
//
//   FIGURE<TAB>name<TAB>measured<TAB>unit<TAB>target<TAB>met|missed|info<TAB>note
//
// The verdict compares the measured value with the target; a figure without
// a target is shown for information, and a value that could not be measured
// (not finite) never meets one. figure.sh writes the same lines from a shell
// benchmark, with the same number formats.
//
//   Figure("frames decoded in process", rate, "frames/s", AtLeast(1'000'000));
//   Ratio("AddValue, 10M against 100 points", {"10M", large}, {"100", small}, "ns",
//         Between(0.5, 2.0));

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

namespace varlo::bench {

// What a figure is judged against.
struct Target {
    enum class Kind { kNone, kAtMost, kAtLeast, kBetween };
    Kind kind = Kind::kNone;
    double low = 0;
    double high = 0;
};

inline constexpr Target kNoTarget{};
inline constexpr Target AtMost(double high) {
    return {Target::Kind::kAtMost, 0, high};
}
inline constexpr Target AtLeast(double low) {
    return {Target::Kind::kAtLeast, low, 0};
}
inline constexpr Target Between(double low, double high) {
    return {Target::Kind::kBetween, low, high};
}

// A measured value: four significant digits, whole numbers from 1000 up, no
// exponent, so that the table's column reads at a glance.
inline std::string FormatMeasured(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    const double size = std::fabs(value);
    const int decimals = size >= 1000   ? 0
                         : size >= 100  ? 1
                         : size >= 10   ? 2
                         : size >= 1    ? 3
                         : size >= 0.1  ? 4
                         : size >= 0.01 ? 5
                         : size > 0     ? 6
                                        : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A target's number as it was written: 0.02, 2, 1340000.
inline std::string FormatLimit(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

inline std::string TargetText(const Target& target) {
    switch (target.kind) {
        case Target::Kind::kAtMost:
            return "<= " + FormatLimit(target.high);
        case Target::Kind::kAtLeast:
            return ">= " + FormatLimit(target.low);
        case Target::Kind::kBetween:
            return FormatLimit(target.low) + " .. " + FormatLimit(target.high);
        case Target::Kind::kNone:
            break;
    }
    return "-";
}

inline const char* Verdict(double measured, const Target& target) {
    if (target.kind == Target::Kind::kNone) return "info";
    if (!std::isfinite(measured)) return "missed";
    bool met = false;
    switch (target.kind) {
        case Target::Kind::kNone:
            break;
        case Target::Kind::kAtMost:
            met = measured <= target.high;
            break;
        case Target::Kind::kAtLeast:
            met = measured >= target.low;
            break;
        case Target::Kind::kBetween:
            met = measured >= target.low && measured <= target.high;
            break;
    }
    return met ? "met" : "missed";
}

// A text as one field of the line: tabs and line breaks become spaces.
inline std::string Field(std::string_view text) {
    std::string field(text);
    for (char& c : field) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return field;
}

inline std::string FigureLine(std::string_view name, double measured, std::string_view unit,
                              const Target& target, std::string_view note = {}) {
    return "FIGURE\t" + Field(name) + "\t" + FormatMeasured(measured) + "\t" + Field(unit) + "\t" +
           TargetText(target) + "\t" + Verdict(measured, target) + "\t" + Field(note) + "\n";
}

// Writes the figure's line and flushes it, so that a benchmark that ends
// in _exit or dies later has still reported what it measured.
inline void Figure(std::string_view name, double measured, std::string_view unit,
                   const Target& target, std::string_view note = {}) {
    std::fputs(FigureLine(name, measured, unit, target, note).c_str(), stdout);
    std::fflush(stdout);
}

// One side of a ratio: what it is and what it measured.
struct Side {
    std::string_view label;
    double value = 0;
};

// A ratio of two values measured in the same run, both shown beside it:
// the figure is top / bottom (not a number when bottom is 0), the note reads "top-label V unit /
// bottom-label V unit", followed by `note`.
inline void Ratio(std::string_view name, const Side& top, const Side& bottom, std::string_view unit,
                  const Target& target, std::string_view note = {}) {
    std::string sides = std::string(top.label) + " " + FormatMeasured(top.value) + " " +
                        std::string(unit) + " / " + std::string(bottom.label) + " " +
                        FormatMeasured(bottom.value) + " " + std::string(unit);
    if (!note.empty()) sides += "; " + std::string(note);
    Figure(name, bottom.value != 0 ? top.value / bottom.value : std::nan(""), "x", target, sides);
}

}  // namespace varlo::bench
