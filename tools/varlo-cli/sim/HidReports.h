#pragma once

#include <string>
#include <vector>

#include "sim/MeterFrame.h"
#include "sim/SimRandom.h"

namespace varlo::sim {

// One HID input report as text: report ID 00, the count byte F0 + n, the
// n data bytes, zero padding to 9 bytes, in two-digit upper-case hex
// separated by blanks ("00 F2 31 30 00 00 00 00 00"). At most 7 bytes.
std::string ReportLine(const std::uint8_t* data, std::size_t count);

// The bytes of one frame in reports of 1 to 7 data bytes (the split drawn
// from `random`), followed by `idleReports` reports without data.
std::vector<std::string> FrameReports(const Bytes& bytes, SimRandom& random, int idleReports);

}  // namespace varlo::sim
