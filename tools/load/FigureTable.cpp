#include "FigureTable.h"

#include <cstdio>

namespace varlo::load {

void FigureTable::Limit(std::string what, double value, const char* format, double limit) {
    char target[32];
    std::snprintf(target, sizeof target, "<= %g", limit);
    figures_.push_back(
        {std::move(what), value, format, target, value <= limit ? Figure::Met : Figure::Missed});
}

void FigureTable::Exactly(std::string what, double value, const char* format, double expected) {
    char target[32];
    std::snprintf(target, sizeof target, format, expected);
    figures_.push_back({std::move(what), value, format, std::string("= ") + target,
                        value == expected ? Figure::Met : Figure::Missed});
}

void FigureTable::Info(std::string what, double value, const char* format) {
    figures_.push_back({std::move(what), value, format, "", Figure::Info});
}

void FigureTable::Check(bool good, const std::string& what) {
    if (!good) failed_.push_back(what);
}

bool FigureTable::AllMet() const {
    if (!failed_.empty()) return false;
    for (const Figure& f : figures_) {
        if (f.verdict == Figure::Missed) return false;
    }
    return true;
}

bool FigureTable::Print() const {
    static const char* const verdicts[] = {"met", "MISSED", ""};
    if (!figures_.empty()) std::printf("  %-60s %14s   %-12s\n", "", "measured", "target");
    for (const Figure& f : figures_) {
        char value[32];
        std::snprintf(value, sizeof value, f.format, f.value);
        std::printf("  %-60s %14s   %-12s %s\n", f.what.c_str(), value, f.target.c_str(),
                    verdicts[f.verdict]);
    }
    for (const std::string& what : failed_) std::printf("  FAILED: %s\n", what.c_str());
    std::fflush(stdout);
    return AllMet();
}

}  // namespace varlo::load
