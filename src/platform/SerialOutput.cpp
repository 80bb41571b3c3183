#include "platform/SerialOutput.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/TermiosMapping.h"

namespace varlo {

SerialOutput::~SerialOutput() {
    ::close(fd_);
}

std::unique_ptr<SerialOutput> SerialOutput::OpenPseudoTerminal(std::string& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0 ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) ::close(master);
        return nullptr;
    }
    // The setting outlives this descriptor: it belongs to the terminal.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        termios t{};
        if (tcgetattr(slave, &t) == 0) {
            MakeRawTermios(t);
            tcsetattr(slave, TCSANOW, &t);
        }
        ::close(slave);
    }
    return std::unique_ptr<SerialOutput>(new SerialOutput(master, name, true));
}

std::unique_ptr<SerialOutput> SerialOutput::OpenDevice(const std::string& path,
                                                       std::string& error) {
    // Non-blocking: a port without carrier must not hang the open, and a
    // write waits in poll(), where a stop is noticed.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    // Only a terminal is a serial line: a regular file would be overwritten,
    // a pipe would take the stream of nobody's meter.
    if (!isatty(fd)) {
        ::close(fd);
        error = "cannot open " + path + ": not a serial device";
        return nullptr;
    }
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        MakeRawTermios(t);
        tcsetattr(fd, TCSANOW, &t);
        LineSettings line;
        line.baudRate = 19200;
        line.byteSize = 7;
        line.parity = 1;
        line.stopBits = 0;
        line.dtrControl = DtrControl::Enabled;
        const TermiosRequest request = MapLineSettings(line, t);
        tcsetattr(fd, TCSANOW, &request.lineTermios);  // a pseudo-terminal keeps 8 bits
    }
    return std::unique_ptr<SerialOutput>(new SerialOutput(fd, path, false));
}

bool SerialOutput::WaitForReader(const std::atomic<bool>& stop) const {
    // The master reports a hang-up while no slave descriptor is open.
    while (!stop) {
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, 20);
        if (ready > 0 && !(p.revents & POLLHUP)) return true;
        if (ready > 0) {
            // A hang-up is reported at once, again and again: wait a little
            // before asking again.
            const timespec pause{0, 20'000'000};
            nanosleep(&pause, nullptr);
        }
    }
    return false;
}

bool SerialOutput::Write(const std::uint8_t* data, std::size_t size, const std::atomic<bool>& stop,
                         std::string& error) {
    // The descriptor does not block: a receiver that stops reading (or has
    // gone) leaves the write waiting here, where `stop` is looked at every
    // 50 ms, and not in the kernel, where only a signal that comes before
    // any byte of the write is taken would end it.
    std::size_t done = 0;
    while (done < size) {
        if (stop) return false;
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            error = "writing to " + path_ + " failed: " + std::strerror(errno);
            return false;
        }
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 50) > 0 && !(p.revents & POLLOUT)) {
            // A hang-up is reported at once, again and again.
            const timespec pause{0, 50'000'000};
            nanosleep(&pause, nullptr);
        }
    }
    return true;
}

void SerialOutput::Drain() {
    if (!pseudoTerminal_ && isatty(fd_)) tcdrain(fd_);
}

}  // namespace varlo
