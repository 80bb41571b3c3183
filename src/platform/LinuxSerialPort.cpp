#include "platform/LinuxSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/TermiosMapping.h"

namespace varlo {

namespace {

std::string ErrorText(int errorNumber) {
    return std::strerror(errorNumber);
}

// Drives one modem line; a device without modem lines says ENOTTY.
void RequestModemLine(int fd, int line, ModemLineRequest request, const char* name,
                      std::vector<std::string>& refusals) {
    if (request == ModemLineRequest::LeaveToFlowControl) return;
    int bits = line;
    const unsigned long call = request == ModemLineRequest::Assert ? TIOCMBIS : TIOCMBIC;
    if (ioctl(fd, call, &bits) != 0) {
        refusals.push_back(std::string(name) + ": " + ErrorText(errno));
    }
}

}  // namespace

LinuxSerialPort::LinuxSerialPort(int fd, std::string device)
    : fd_(fd), device_(std::move(device)) {}

LinuxSerialPort::~LinuxSerialPort() {
    if (fd_ >= 0) {
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);  // also releases the lock
    }
}

void LinuxSerialPort::ApplyLineSettings(const LineSettings& settings) {
    refusals_.clear();
    termios t{};
    if (tcgetattr(fd_, &t) != 0) {
        refusals_.push_back("line settings: " + ErrorText(errno));
        return;
    }
    // Raw mode on its own first: a new terminal starts cooked (CR becomes
    // LF, lines are held back), and the framing below may be refused whole.
    MakeRawTermios(t);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) {
        refusals_.push_back("raw mode: " + ErrorText(errno));
    }
    tcgetattr(fd_, &t);
    const TermiosRequest request = MapLineSettings(settings, t);
    // The line framing strips what lies above the character size, whatever
    // the device accepts: pseudo-terminals and some adapters pass the parity
    // bit through.
    characterMask_ = request.characterMask;

    if (tcsetattr(fd_, TCSANOW, &request.lineTermios) != 0) {
        refusals_.push_back("framing: " + ErrorText(errno));
        // Keep speed and flow control even when the framing is refused.
        termios fallback = t;
        cfsetispeed(&fallback, cfgetispeed(&request.lineTermios));
        cfsetospeed(&fallback, cfgetospeed(&request.lineTermios));
        fallback.c_cflag = (fallback.c_cflag & ~CRTSCTS) | (request.lineTermios.c_cflag & CRTSCTS);
        fallback.c_iflag =
            (fallback.c_iflag & ~(IXON | IXOFF)) | (request.lineTermios.c_iflag & (IXON | IXOFF));
        tcsetattr(fd_, TCSANOW, &fallback);
    }
    termios now{};
    if (tcgetattr(fd_, &now) == 0 &&
        (now.c_cflag & CSIZE) != (request.lineTermios.c_cflag & CSIZE)) {
        refusals_.push_back("character size " + std::to_string(settings.byteSize) +
                            ": kept by the device");
    }
    if (request.customSpeed && !SetCustomBaudRate(fd_, request.baudRate)) {
        refusals_.push_back("speed " + std::to_string(request.baudRate) + ": " + ErrorText(errno));
    }
    RequestModemLine(fd_, TIOCM_DTR, request.dtr, "DTR", refusals_);
    RequestModemLine(fd_, TIOCM_RTS, request.rts, "RTS", refusals_);
}

void LinuxSerialPort::SetQueueSizes(std::uint32_t, std::uint32_t) {
    // The kernel sizes its own queues.
}

void LinuxSerialPort::SetTimeouts(const PortTimeouts&) {
    // The descriptor is non-blocking and VMIN/VTIME are 0: every read
    // returns at once with what is queued, which is what the driver asks.
}

void LinuxSerialPort::Purge(bool input, bool output) {
    if (input && output) {
        tcflush(fd_, TCIOFLUSH);
    } else if (input) {
        tcflush(fd_, TCIFLUSH);
    } else if (output) {
        tcflush(fd_, TCOFLUSH);
    }
}

SerialReadResult LinuxSerialPort::Read(std::uint8_t* buffer, std::size_t maxBytes) {
    if (maxBytes == 0) return {};
    ssize_t n;
    do {
        n = ::read(fd_, buffer, maxBytes);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return {};
        return {0, errno};
    }
    if (n == 0) {
        // Nothing queued, or a terminal that has been hung up (a USB adapter
        // pulled out): the latter reads as empty for ever, and says so when
        // asked.
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            return {0, ENODEV};
        }
        return {};
    }
    if (characterMask_ != 0xFF) {
        for (ssize_t i = 0; i < n; ++i) buffer[i] &= characterMask_;
    }
    return {static_cast<std::size_t>(n), 0};
}

SerialOpenError DescribeOpenFailure(const std::string& port, const std::string& device,
                                    int errorNumber) {
    SerialOpenError e;
    e.osError = errorNumber;
    e.port = port;
    e.device = device;
    switch (errorNumber) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            e.kind = SerialOpenFailure::NoSuchDevice;
            e.reason = "no such device";
            break;
        case EBUSY:
        case EWOULDBLOCK:
            e.kind = SerialOpenFailure::Busy;
            e.reason = "in use by another program";
            break;
        case EACCES:
        case EPERM:
            e.kind = SerialOpenFailure::PermissionDenied;
            e.reason =
                "permission denied; serial ports belong to the dialout group "
                "(sudo usermod -aG dialout $USER, then log in again)";
            break;
        case ENOTTY:
            e.kind = SerialOpenFailure::Other;
            e.reason = "not a serial device";
            break;
        default:
            e.kind = SerialOpenFailure::Other;
            e.reason = ErrorText(errorNumber);
            break;
    }
    const std::string where = port == device || device.empty() ? port : port + " (" + device + ")";
    e.message = where + ": " + e.reason;
    return e;
}

LinuxSerialPortSystem::LinuxSerialPortSystem(SerialDeviceFolders folders,
                                             EnvironmentLookup environment)
    : folders_(std::move(folders)), environment_(std::move(environment)) {}

SerialOpenResult LinuxSerialPortSystem::Open(const std::string& name) {
    SerialOpenResult result;
    const auto device = ResolvePortName(name, folders_, environment_);
    if (!device) {
        result.error = DescribeOpenFailure(name, "", ENODEV);
        const std::string n = std::to_string(ComPortIndex(name));
        result.error.reason = "no such device (no serial device found for it; set VARLO_COM" + n +
                              " to a device path)";
        result.error.message = name + ": " + result.error.reason;
        return result;
    }
    if (injected_) {
        result.error = DescribeOpenFailure(name, *device, *injected_);
        return result;
    }
    const int fd = ::open(device->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error = DescribeOpenFailure(name, *device, errno);
        return result;
    }
    if (!isatty(fd)) {
        const int err = ENOTTY;
        ::close(fd);
        result.error = DescribeOpenFailure(name, *device, err);
        return result;
    }
    // Exclusive use: the lock keeps out every other opener that locks (root
    // included, whom TIOCEXCL lets through), TIOCEXCL keeps out the others.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        result.error = DescribeOpenFailure(name, *device, err);
        return result;
    }
    ioctl(fd, TIOCEXCL);
    result.port = std::make_unique<LinuxSerialPort>(fd, *device);
    result.device = *device;
    return result;
}

}  // namespace varlo
