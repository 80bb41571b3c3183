#include "platform/TermiosMapping.h"

namespace varlo {

void MakeRawTermios(termios& t) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

speed_t SpeedConstant(std::uint32_t baudRate) {
    switch (baudRate) {
        case 50:
            return B50;
        case 75:
            return B75;
        case 110:
            return B110;
        case 134:
            return B134;
        case 150:
            return B150;
        case 200:
            return B200;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 1800:
            return B1800;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;
    }
}

namespace {

tcflag_t CharacterSizeFlag(std::uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

}  // namespace

TermiosRequest MapLineSettings(const LineSettings& s, const termios& raw) {
    TermiosRequest r;
    termios& t = r.lineTermios;
    t = raw;

    r.baudRate = s.baudRate;
    const speed_t speed = SpeedConstant(s.baudRate);
    r.customSpeed = speed == B0 && s.baudRate != 0;
    // A custom speed is set by number afterwards; the constant stays as it was.
    if (speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }

    const std::uint8_t bits = (s.byteSize >= 5 && s.byteSize <= 8) ? s.byteSize : 8;
    t.c_cflag &= ~CSIZE;
    t.c_cflag |= CharacterSizeFlag(bits);
    r.characterMask = static_cast<std::uint8_t>((1u << bits) - 1u);

    t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (s.parity) {
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;  // mark
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;  // space
        default:
            break;
    }
    // Received characters with a parity error pass as they are: no check,
    // no marking, no replacement.
    t.c_iflag &= ~(INPCK | PARMRK | IGNPAR);
    if (s.parityCheck) t.c_iflag |= INPCK;
    t.c_iflag &= ~ISTRIP;

    // POSIX has no one and a half stop bits; the hardware gives 1.5 for
    // 5-bit characters when two are asked for.
    if (s.stopBits == 0) {
        t.c_cflag &= ~CSTOPB;
    } else {
        t.c_cflag |= CSTOPB;
    }

    if (s.ctsOutputFlow || s.rtsControl == RtsControl::Handshake) {
        t.c_cflag |= CRTSCTS;
    } else {
        t.c_cflag &= ~CRTSCTS;
    }
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (s.xonXoffOutput) t.c_iflag |= IXON;
    if (s.xonXoffInput) t.c_iflag |= IXOFF;
    // DSR sensitivity and DSR output flow have no termios form; modem
    // status is ignored.
    t.c_cflag |= CLOCAL | CREAD;

    switch (s.dtrControl) {
        case DtrControl::Enabled:
            r.dtr = ModemLineRequest::Assert;
            break;
        case DtrControl::Handshake:
            r.dtr = ModemLineRequest::LeaveToFlowControl;
            break;
        default:
            r.dtr = ModemLineRequest::Deassert;
            break;
    }
    switch (s.rtsControl) {
        case RtsControl::Enabled:
            r.rts = ModemLineRequest::Assert;
            break;
        case RtsControl::Handshake:
        case RtsControl::Toggle:
            r.rts = ModemLineRequest::LeaveToFlowControl;
            break;
        default:
            r.rts = ModemLineRequest::Deassert;
            break;
    }
    return r;
}

}  // namespace varlo
