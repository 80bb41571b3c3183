#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/Scenarios.h"

namespace varlo::sim {

enum class RateKind { PerSecond, Line, Fastest };

// The rates --rate takes: from one frame in about 17 minutes to a million a
// second. No bench needs a slower one, and a far slower one would be a
// period past what the clock counts in nanoseconds.
inline constexpr double kMinRate = 0.001;
inline constexpr double kMaxRate = 1e6;

struct SimRate {
    RateKind kind = RateKind::PerSecond;
    double framesPerSecond = 2;  // the meter's own pace
};

enum class SimOutput { Terminal, Raw, Reports };

struct SimOptions {
    std::optional<std::string> port;
    Scenario scenario = Scenario::Tour;
    SimRate rate;
    std::optional<std::uint64_t> count;
    double noise = 0;
    std::optional<std::string> noiseLog;
    std::optional<std::uint64_t> seed;
    std::optional<std::string> replay;
    SimOutput output = SimOutput::Terminal;
    int idle = 3;
};

struct SimParse {
    std::optional<SimOptions> options;  // set when the arguments are good
    bool help = false;                  // --help was asked for
    std::string error;                  // why the arguments were refused
};

// The arguments after "sim".
SimParse ParseSimOptions(const std::vector<std::string>& args);

extern const char* const kSimUsage;

}  // namespace varlo::sim
