#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <set>
#include <string>
#include <vector>

namespace varlo::load {

// One line of a simulator's --noise-log: "frame INDEX offset K flip|drop|insert",
// frames and offsets counted from 0.
struct NoiseEntry {
    enum class Kind { Flip, Drop, Insert };
    std::uint64_t frame = 0;
    std::size_t offset = 0;
    Kind kind = Kind::Flip;
};

// Reads a noise log; a line it cannot use throws std::runtime_error
// "NAME:LINE: reason".
std::vector<NoiseEntry> ParseNoiseLog(std::istream& in, const std::string& name);
std::vector<NoiseEntry> ReadNoiseLog(const std::string& path);

// The frames a noise log marks as corrupted.
class NoiseMarks {
  public:
    explicit NoiseMarks(const std::vector<NoiseEntry>& entries);

    bool Marked(std::uint64_t frame) const { return marked_.count(frame) != 0; }
    // A frame the noise may have reached: marked itself, or following a
    // marked one, whose line end the receiver takes as the start of the
    // next frame (a dropped carriage return runs two frames together).
    bool Touched(std::uint64_t frame) const {
        return Marked(frame) || (frame > 0 && Marked(frame - 1));
    }
    std::size_t MarkedFrames() const { return marked_.size(); }
    std::size_t Entries() const { return entries_; }
    std::size_t Count(NoiseEntry::Kind kind) const { return byKind_[static_cast<int>(kind)]; }

  private:
    std::set<std::uint64_t> marked_;
    std::size_t entries_ = 0;
    std::size_t byKind_[3] = {};
};

}  // namespace varlo::load
