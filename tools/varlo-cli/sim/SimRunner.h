#pragma once

#include <atomic>
#include <cstddef>
#include <ostream>

#include "sim/SimOptions.h"

namespace varlo::sim {

// The time one step takes at a rate: 1/r seconds at r frames per second;
// at the line's limit, 10 bits per byte at 19200 baud; 0 when as fast as
// possible.
double StepSeconds(const SimRate& rate, std::size_t bytes);

// Runs the simulated meter until --count steps are sent, the source ends,
// `stop` becomes true or the output closes. Writes the terminal path (when
// it opens one) or the stream to `out`, messages and the closing summary
// line to `err`. A serial stream from a scenario starts with a line feed,
// the end of a frame before the first, so that the first frame is whole.
// Returns the exit status.
int RunSimulation(const SimOptions& options, std::ostream& out, std::ostream& err,
                  const std::atomic<bool>& stop);

}  // namespace varlo::sim
