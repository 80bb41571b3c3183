#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varlo {
class MeterSession;
}

namespace varlo::load {

// A frame the window's frame assembler completed, and what became of it.
struct CompletedFrame {
    enum class Outcome {
        Dropped,   // failed the frame test ("A" ... "D")
        Rejected,  // passed it, but the decoder would not convert it
        Failed,    // decoded, but its follow-up failed (an error box)
        Decoded,   // decoded to its end
    };
    std::string text;
    Outcome outcome = Outcome::Dropped;
    std::optional<std::size_t> row;  // the log row a decoded frame was recorded as
};

// Keeps every frame a session's assembler completes, in order, with its
// outcome, read from the session's own counters: the assembler says when a
// frame is complete, and what the counters did until the next one is that
// frame's outcome. Listens from its construction until it is destroyed.
class FrameLedger {
  public:
    explicit FrameLedger(MeterSession& session);
    ~FrameLedger();
    FrameLedger(const FrameLedger&) = delete;
    FrameLedger& operator=(const FrameLedger&) = delete;

    std::size_t Count() const { return marks_.size(); }
    // Every frame so far; the last one's outcome as the counters stand now.
    std::vector<CompletedFrame> Frames() const;

  private:
    struct Counters {
        std::uint64_t dropped = 0;
        std::uint64_t rejected = 0;
        std::uint64_t failed = 0;
        std::uint64_t decoded = 0;
        std::size_t rows = 0;
    };
    struct Mark {
        std::string text;
        Counters before;
    };
    Counters Now() const;

    MeterSession& session_;
    std::vector<Mark> marks_;
};

}  // namespace varlo::load
