#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varlo {
class LocaleSource;
}

namespace varlo::load {

// A frame as the simulator sent it before any noise: the frame text a
// receiver forms from it, and the row the window records for it (the
// columns DC/AC, Value, Unit, Auto and NVal; No and the time depend on
// the run).
struct SentFrame {
    std::string text;
    std::vector<std::string> row;
};

// The recorded columns a SentFrame's row holds, in its order.
extern const int kComparedColumns[5];

// The first `count` frames of a simulator scenario ("tour", "sweep",
// "steady", "random") with its seed, regenerated as the simulator makes
// them, each with the row a session with the window's start-up settings and
// the record limit "limitless" records for it in `locale`.
std::vector<SentFrame> RegenerateSentFrames(const std::string& scenario, std::uint64_t seed,
                                            std::size_t count, const LocaleSource& locale);

}  // namespace varlo::load
