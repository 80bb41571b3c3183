#pragma once

#include <cstddef>
#include <vector>

namespace varlo::load {

// Resident memory sampled through a run, beside what the reading log and
// the chart hold for their rows and points.
struct MemorySample {
    double seconds = 0;
    std::size_t resident = 0;
    std::size_t logBytes = 0;
    std::size_t chartBytes = 0;
    std::size_t rows = 0;
};

class MemoryTrack {
  public:
    void Add(const MemorySample& sample) { samples_.push_back(sample); }
    const std::vector<MemorySample>& Samples() const { return samples_; }

    // How much more the process holds at sample `i` than at the first,
    // less what the log and the chart grew by: the memory the run took
    // beyond its rows.
    double ExtraBytes(std::size_t i) const;
    // The most of it at any sample.
    double MostExtraBytes() const;
    // Its growth over the second half of the run (last sample against the
    // one halfway): near zero when the run is flat apart from its rows.
    double ExtraGrowthOverSecondHalf() const;

  private:
    std::vector<MemorySample> samples_;
};

}  // namespace varlo::load
