#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace varlo::testing {

// A fresh pseudo-terminal pair: the test writes to the master, the code
// under test opens the slave by its path. The slave has never been opened,
// so it starts in the kernel's cooked mode.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        path_ = ptsname(master_);
    }
    ~PseudoTerminal() { ::close(master_); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }

    void write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) throw std::runtime_error("pseudo-terminal write failed");
            done += static_cast<std::size_t>(n);
        }
        // The kernel moves the bytes to the slave's queue a moment later.
        ::usleep(30000);
    }

  private:
    int master_ = -1;
    std::string path_;
};

}  // namespace varlo::testing
