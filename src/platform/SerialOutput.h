#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace varlo {

// Where a simulated meter writes: a serial device, or the master side of a
// pseudo-terminal whose slave a receiver opens like a serial port.
class SerialOutput {
  public:
    ~SerialOutput();
    SerialOutput(const SerialOutput&) = delete;
    SerialOutput& operator=(const SerialOutput&) = delete;

    // A new pseudo-terminal. Its slave side is made raw at once: a new
    // terminal starts cooked, which would turn CR into LF for a receiver
    // that does not set raw mode itself. Null with `error` set on failure.
    static std::unique_ptr<SerialOutput> OpenPseudoTerminal(std::string& error);
    // A serial device (a terminal), set to 19200 baud 7O1, raw, DTR on (a
    // device that refuses part of that is used as it is). Null with `error`
    // set on failure, and for anything that is not a terminal.
    static std::unique_ptr<SerialOutput> OpenDevice(const std::string& path, std::string& error);

    // The path a receiver opens: the slave of a pseudo-terminal, or the device.
    const std::string& Path() const { return path_; }

    // Pseudo-terminal: waits until a program has the slave open (true), or
    // until `stop` (false).
    bool WaitForReader(const std::atomic<bool>& stop) const;

    // Writes every byte, waiting while the receiver's queue is full. False
    // when `stop` became true meanwhile (it is seen within 50 ms) or the
    // write failed; `error` says why for the latter.
    bool Write(const std::uint8_t* data, std::size_t size, const std::atomic<bool>& stop,
               std::string& error);

    // Device: returns when everything written has gone out on the line.
    void Drain();

  private:
    SerialOutput(int fd, std::string path, bool pseudoTerminal)
        : fd_(fd), path_(std::move(path)), pseudoTerminal_(pseudoTerminal) {}

    int fd_;
    std::string path_;
    bool pseudoTerminal_;
};

}  // namespace varlo
