#pragma once

#include <cstddef>
#include <string>

#include "EventLoopWatch.h"
#include "LoadWindow.h"

namespace varlo::load {

// What a fast replay into the window measured.
struct FeedResult {
    std::size_t framesSent = 0;  // the simulator's own count
    double seconds = 0;
    std::string simErrors;
};

// Feeds `frames` frames of a simulator scenario (a fast raw replay,
// `varlo-cli sim --raw --rate 0 --scenario S`) to the window's session as the
// serial driver hands them over, in reads of up to one poll's 2048 bytes,
// as many as a pass of 50 ms takes, then serves the event loop (the window
// repaints) before the next pass: as fast as the window takes them. The
// watch is reset at the start, so that it holds the feed's gaps after.
FeedResult FeedFrames(LoadWindow& window, EventLoopWatch& watch, const std::string& scenario,
                      std::size_t frames, std::uint64_t seed);

}  // namespace varlo::load
