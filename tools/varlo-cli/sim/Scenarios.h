#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/MeterFrame.h"
#include "sim/SimRandom.h"

namespace varlo::sim {

// Where the simulator's frames come from, one step at a time.
class FrameSource {
  public:
    virtual ~FrameSource() = default;
    // The bytes of the next step; nullopt when the source has ended.
    virtual std::optional<Bytes> next() = 0;
};

// The tour: every function the decoder knows with its ranges, negative
// readings, overload, HOLD, REL, AUTO and MANU, low battery, duty and
// frequency, in a fixed order.
std::vector<MeterFrame> TourFrames();

// DC volts, AUTO, from 1 mV up to 1000 V and back, across the ranges: one
// cycle of `steps` frames up and `steps` down.
MeterFrame SweepFrame(std::uint64_t index, unsigned steps = 200);

// The constant reading of the steady scenario: DC 1.2345 V, AUTO.
MeterFrame SteadyFrame();

// A valid frame with random function, range, digits and flags: it passes
// the receiver's frame test and converts without error.
MeterFrame RandomFrame(SimRandom& random);

enum class Scenario { Tour, Sweep, Steady, Random };
std::optional<Scenario> ParseScenario(const std::string& name);

// Frames of a scenario, without end (the tour repeats).
std::unique_ptr<FrameSource> MakeScenarioSource(Scenario scenario, std::uint64_t seed);

// The steps of a recorded raw capture: each step runs up to and including
// the LF of a CR LF; what follows the last CR LF is a step of its own.
std::vector<Bytes> SplitCapture(const Bytes& capture);
std::unique_ptr<FrameSource> MakeReplaySource(std::vector<Bytes> steps);

}  // namespace varlo::sim
