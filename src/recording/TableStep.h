#pragma once

#include <chrono>
#include <cstddef>

namespace varlo {

// Table files are written and read a step at a time, so that the thread that
// owns the log can serve its events (the meter's frames among them) between
// steps of a long save or load.

// Where a piece of work stands after a step.
enum class TableStep { More, Done, Failed };

// When a step is to end. Work checks it between small pieces (a few hundred
// rows, one read of the file), so a step ends shortly after it.
class StepDeadline {
  public:
    using Clock = std::chrono::steady_clock;

    // No end: the work runs to its end in one step.
    static StepDeadline Never() { return StepDeadline(); }
    static StepDeadline After(Clock::duration budget) {
        StepDeadline deadline;
        deadline.bounded_ = true;
        deadline.end_ = Clock::now() + budget;
        return deadline;
    }

    bool Passed() const { return bounded_ && Clock::now() >= end_; }
    bool Bounded() const { return bounded_; }
    Clock::time_point End() const { return end_; }  // when Bounded

  private:
    bool bounded_ = false;
    Clock::time_point end_{};
};

// Rows written or read between two looks at the deadline.
inline constexpr std::size_t kRowsPerDeadlineCheck = 256;

// Writes a table to a device, header first, a step at a time.
class TableRowWriter {
  public:
    virtual ~TableRowWriter() = default;
    // Writes until the deadline has passed (at least one piece) or the table
    // is complete (Done); Failed when the device refused a write.
    virtual TableStep Write(const StepDeadline& deadline) = 0;
    virtual std::size_t RowsWritten() const = 0;
};

// Reads a table from a device into a log, a step at a time.
class TableRowReader {
  public:
    virtual ~TableRowReader() = default;
    // Reads until the deadline has passed (at least one piece) or the input
    // has ended (Done); Failed at the first thing the format does not allow.
    // Rows appended before a failure are left for the caller to drop.
    virtual TableStep Read(const StepDeadline& deadline) = 0;
};

// Runs a writer or reader to its end: true when it got there.
inline bool RunToEnd(TableRowWriter& writer) {
    return writer.Write(StepDeadline::Never()) == TableStep::Done;
}
inline bool RunToEnd(TableRowReader& reader) {
    return reader.Read(StepDeadline::Never()) == TableStep::Done;
}

}  // namespace varlo
