#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace varlo::cli {

// The --capture file of a live run. A write that fails (a full disk) is told
// at once on standard error and ends the capture; the run reads on, and
// Failed() makes its exit status say so.
class LiveCapture {
  public:
    explicit LiveCapture(const char* command) : command_(command) {}
    ~LiveCapture();
    LiveCapture(const LiveCapture&) = delete;
    LiveCapture& operator=(const LiveCapture&) = delete;

    // Creates (or empties) the file; false after one line on standard error
    // when it cannot be opened.
    bool Open(const std::string& path);
    // Writes the bytes through to the file; nothing once a write has failed
    // or when no file is open.
    void Write(const void* data, std::size_t size);
    // Closes the file (a failure then counts too).
    void Close();
    bool Failed() const { return failed_; }

  private:
    void Fail();

    const char* command_;
    std::string path_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace varlo::cli
