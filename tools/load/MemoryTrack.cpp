#include "MemoryTrack.h"

#include <algorithm>

namespace varlo::load {

namespace {
double Grew(std::size_t now, std::size_t then) {
    return static_cast<double>(now) - static_cast<double>(then);
}
}  // namespace

double MemoryTrack::ExtraBytes(std::size_t i) const {
    const MemorySample& first = samples_.front();
    const MemorySample& s = samples_.at(i);
    return Grew(s.resident, first.resident) - Grew(s.logBytes, first.logBytes) -
           Grew(s.chartBytes, first.chartBytes);
}

double MemoryTrack::MostExtraBytes() const {
    double most = 0;
    for (std::size_t i = 0; i < samples_.size(); ++i) most = std::max(most, ExtraBytes(i));
    return most;
}

double MemoryTrack::ExtraGrowthOverSecondHalf() const {
    if (samples_.size() < 2) return 0;
    return ExtraBytes(samples_.size() - 1) - ExtraBytes((samples_.size() - 1) / 2);
}

}  // namespace varlo::load
