#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "sim/Noise.h"

namespace varlo::sim {

// The file of --noise-log: one line per corruption. A log that cannot be
// written (a full disk) is said at once and given up; the stream itself goes
// on, and Failed() tells the run to end with a failure status.
class NoiseLog {
  public:
    NoiseLog() = default;
    ~NoiseLog();
    NoiseLog(const NoiseLog&) = delete;
    NoiseLog& operator=(const NoiseLog&) = delete;

    // Creates (or empties) the file; false after a message on `err`.
    bool Open(const std::string& path, std::ostream& err);
    // Writes the lines and hands them to the file at once. Does nothing
    // when no log is open (none asked for, or given up).
    void Write(const std::vector<Corruption>& corruptions, std::ostream& err);
    bool Failed() const { return failed_; }

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace varlo::sim
