#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "FrameLedger.h"
#include "NoiseLogReader.h"
#include "SentFrames.h"

namespace varlo::load {

// What the frames a receiver completed say against the frames sent and the
// noise log of the run.
struct NoiseFindings {
    std::size_t sent = 0;
    std::size_t matched = 0;  // completed exactly as sent, recorded with the sent reading
    std::size_t lost = 0;     // sent frames that never came whole, all reached by noise
    // Completed frames that are no frame as sent, all where the noise log
    // marks the frame or the one before it, by what became of them.
    std::size_t badDropped = 0;
    std::size_t badRejected = 0;
    std::size_t badRecorded = 0;      // decoded and recorded: a corrupted frame that still converts
    std::vector<std::string> faults;  // one sentence each; none when the run is sound
};

// Walks the completed frames in order against the frames sent. A frame
// whose text is that of the next frame sent, or of one a little later,
// matches it, and its row must be that frame's reading; the sent frames
// passed over never came whole, and the noise must have reached each (it
// is marked, or the one before it is). Any other frame is a bad one; it
// must lie where the noise reached (the next frame sent is reached). A bad
// frame may be dropped, rejected or recorded; no clean one may be. `row`
// reads the compared columns of a log row (see SentFrame).
NoiseFindings CheckAgainstSent(const std::vector<SentFrame>& sent,
                               const std::vector<CompletedFrame>& completed,
                               const NoiseMarks& marks,
                               const std::function<std::vector<std::string>(std::size_t)>& row);

}  // namespace varlo::load
