#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varlo::bench {

// The fields of one recorded row, as the recorder hands them to the log.
struct LogRow {
    std::int32_t no = 0;
    std::string time, function, value, unit, judge;
    std::int32_t nval = 0;
};

// Rows to append, a batch at a time, so that making them is not timed with
// the appends.
class LogRowStream {
  public:
    virtual ~LogRowStream() = default;
    virtual const char* Name() const = 0;
    // Overwrites `rows` (kept at its size, so strings keep their storage).
    virtual void NextBatch(std::vector<LogRow>& rows) = 0;
};

// A slowly drifting reading, now and then another function or range: one
// distinct value text in a few rows, a new time text every row.
std::unique_ptr<LogRowStream> MakeDriftingStream();

// The random frames of the simulator (`varlo-cli sim --scenario random`),
// decoded by the meter decoder and recorded by the recorder at the
// "limitless" record limit, half a second apart: every row its own value
// text, function, unit and judgement as varied as the frames make them.
std::unique_ptr<LogRowStream> MakeRandomFrameStream();

}  // namespace varlo::bench
