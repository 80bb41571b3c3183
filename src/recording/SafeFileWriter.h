#pragma once

#include <QFile>
#include <QSaveFile>
#include <memory>
#include <string>
#include <string_view>

class QIODevice;

namespace varlo {

// Replaces a file without ever leaving it damaged: the new content goes to a
// temporary file in the same folder, which is moved over the old one only
// when everything has been written. The saved file keeps the old one's
// permissions, and a symbolic link is written through, not replaced.
//
// Where no temporary file can be made in that folder, the save is refused
// (Refusal() says why) rather than written over the old file in place, which
// a save cut short (a kill, a crash, a power cut) would leave truncated or
// half new. A device, pipe or socket is written straight through.
//
// A writer that is destroyed without a successful Commit leaves the old file
// as it was.
class SafeFileWriter {
  public:
    explicit SafeFileWriter(const std::string& path);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // False when the file cannot be written.
    bool Open();
    // After a failed Open: why the save was refused, as a sentence for the
    // user; empty when there is nothing more to say than that it failed.
    const std::string& Refusal() const { return refusal_; }
    // The device to write to, valid between Open and Commit.
    QIODevice* Device();
    bool Write(std::string_view bytes);
    // True when the file now holds everything written; false when anything
    // failed, the old file then being as it was. It may wait for the disk,
    // and may run on another thread than the writing, never at once with it.
    bool Commit();

  private:
    QString path_;
    std::unique_ptr<QSaveFile> saveFile_;
    // A device, pipe or socket: written straight through.
    std::unique_ptr<QFile> streamFile_;
    std::string refusal_;
    bool failed_ = false;
    bool committed_ = false;
};

// Failures that the tests inject, since a test run as root cannot make a
// folder refuse a temporary file or a disk fill up.
enum class SafeFileFault {
    None,
    NoTemporaryFile,  // the folder refuses a temporary file (the file itself is writable)
    WriteFails,       // writing the content fails
};
void SetSafeFileFaultForTesting(SafeFileFault fault);

}  // namespace varlo
