#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace varlo::testing {

// A fresh pseudo-terminal pair: the test writes to the master, the code
// under test opens the slave by its path. The slave starts in the kernel's
// cooked mode, as a new terminal does. A second slave descriptor, opened
// first and never read, lets the test see when written bytes have reached
// the slave's input queue.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        path_ = ptsname(master_);
        observer_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (observer_ < 0) throw std::runtime_error("cannot open " + path_);
    }
    ~PseudoTerminal() {
        ::close(observer_);
        if (master_ >= 0) ::close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& Path() const { return path_; }
    int Master() const { return master_; }

    // Writes the bytes and returns once they are all readable on the slave.
    void Write(const std::vector<std::uint8_t>& bytes) const {
        const int before = Queued();
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) throw std::runtime_error("pseudo-terminal write failed");
            done += static_cast<std::size_t>(n);
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (Queued() < before + static_cast<int>(bytes.size())) {
            if (std::chrono::steady_clock::now() > end) {
                throw std::runtime_error("written bytes never reached the slave");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Closes the master side: the slave's reader sees the device go (EIO).
    void CloseMaster() {
        ::close(master_);
        master_ = -1;
    }
    // Hangs the slave up as the kernel does when a USB adapter is pulled:
    // every descriptor of it then reads as empty for ever. Needs root; false
    // when refused.
    bool Hangup() const { return ioctl(observer_, TIOCVHANGUP) == 0; }

  private:
    int Queued() const {
        int n = 0;
        ioctl(observer_, FIONREAD, &n);
        return n;
    }

    int master_ = -1;
    int observer_ = -1;
    std::string path_;
};

}  // namespace varlo::testing
