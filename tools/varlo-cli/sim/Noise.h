#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/MeterFrame.h"
#include "sim/SimRandom.h"

namespace varlo::sim {

enum class CorruptionKind { Flip, Drop, Insert };

// One corrupted byte: the frame (counted from 0 in the order sent), the
// byte's offset in that frame's clean bytes, and what was done to it.
struct Corruption {
    std::uint64_t frame = 0;
    std::size_t offset = 0;
    CorruptionKind kind = CorruptionKind::Flip;
};

// "frame INDEX offset K flip|drop|insert"
std::string FormatCorruption(const Corruption& c);

// Corrupts a fraction of the bytes it is given: each byte, with the
// chance given, is flipped (one of its seven data bits inverted), dropped,
// or preceded by an inserted random byte.
class NoiseInjector {
  public:
    NoiseInjector(double probability, std::uint64_t seed);

    // The bytes of frame `frame` as sent; adds what it did to `log`.
    Bytes apply(std::uint64_t frame, const Bytes& clean, std::vector<Corruption>& log);

    std::uint64_t corruptedBytes() const { return bytes_; }
    std::uint64_t corruptedFrames() const { return frames_; }

  private:
    double probability_;
    SimRandom random_;
    std::uint64_t bytes_ = 0;
    std::uint64_t frames_ = 0;
};

}  // namespace varlo::sim
