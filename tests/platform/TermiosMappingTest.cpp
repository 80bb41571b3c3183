#include <gtest/gtest.h>

#include "platform/LinuxSerialPort.h"
#include "platform/TermiosMapping.h"

namespace varlo {
namespace {

// The record the serial driver builds for the meter line: 19200 7O1, DTR on.
LineSettings MeterLine() {
    LineSettings s;
    s.recordLength = 28;
    s.baudRate = 19200;
    s.binaryMode = true;
    s.dtrControl = DtrControl::Enabled;
    s.rtsControl = RtsControl::Disabled;
    s.xonLimit = 512;
    s.xoffLimit = 1;
    s.byteSize = 7;
    s.parity = 1;
    s.stopBits = 0;
    return s;
}

termios CookedTerminal() {
    termios t{};
    t.c_iflag = ICRNL | IXON | ISTRIP | INPCK;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    t.c_cflag = CS8 | CREAD | HUPCL;
    t.c_cc[VMIN] = 1;
    return t;
}

termios Raw() {
    termios t = CookedTerminal();
    MakeRawTermios(t);
    return t;
}

TEST(TermiosMapping, RawModeUndoesEveryCookedTranslation) {
    termios t = Raw();
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | ISTRIP | INLCR | IGNCR), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_NE(t.c_cflag & CREAD, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(TermiosMapping, MeterLineIs19200SevenOddOneWithDtrOnRtsOff) {
    const TermiosRequest r = MapLineSettings(MeterLine(), Raw());
    const termios& t = r.lineTermios;
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B19200));
    EXPECT_FALSE(r.customSpeed);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | PARMRK | ISTRIP), 0u);
    EXPECT_EQ(t.c_lflag & ICANON, 0u) << "the framing keeps raw mode";
    EXPECT_EQ(r.dtr, ModemLineRequest::Assert);
    EXPECT_EQ(r.rts, ModemLineRequest::Deassert);
    EXPECT_EQ(r.characterMask, 0x7F);
}

TEST(TermiosMapping, EachFieldOfTheRecord) {
    struct Case {
        const char* name;
        void (*change)(LineSettings&);
        tcflag_t cflagMask, cflagExpected;
        tcflag_t iflagMask, iflagExpected;
        ModemLineRequest dtr, rts;
        std::uint8_t mask;
    };
    const tcflag_t par = PARENB | PARODD | CMSPAR;
    const Case cases[] = {
        {"even", [](LineSettings& s) { s.parity = 2; }, par, PARENB, 0, 0, ModemLineRequest::Assert,
         ModemLineRequest::Deassert, 0x7F},
        {"none", [](LineSettings& s) { s.parity = 0; }, par, 0, 0, 0, ModemLineRequest::Assert,
         ModemLineRequest::Deassert, 0x7F},
        {"mark", [](LineSettings& s) { s.parity = 3; }, par, PARENB | PARODD | CMSPAR, 0, 0,
         ModemLineRequest::Assert, ModemLineRequest::Deassert, 0x7F},
        {"space", [](LineSettings& s) { s.parity = 4; }, par, PARENB | CMSPAR, 0, 0,
         ModemLineRequest::Assert, ModemLineRequest::Deassert, 0x7F},
        {"two stop bits", [](LineSettings& s) { s.stopBits = 2; }, CSTOPB, CSTOPB, 0, 0,
         ModemLineRequest::Assert, ModemLineRequest::Deassert, 0x7F},
        {"one and a half", [](LineSettings& s) { s.stopBits = 1; }, CSTOPB, CSTOPB, 0, 0,
         ModemLineRequest::Assert, ModemLineRequest::Deassert, 0x7F},
        {"8 bits", [](LineSettings& s) { s.byteSize = 8; }, CSIZE, CS8, 0, 0,
         ModemLineRequest::Assert, ModemLineRequest::Deassert, 0xFF},
        {"5 bits", [](LineSettings& s) { s.byteSize = 5; }, CSIZE, CS5, 0, 0,
         ModemLineRequest::Assert, ModemLineRequest::Deassert, 0x1F},
        {"rts/cts",
         [](LineSettings& s) {
             s.ctsOutputFlow = true;
             s.rtsControl = RtsControl::Handshake;
         },
         CRTSCTS, CRTSCTS, 0, 0, ModemLineRequest::Assert, ModemLineRequest::LeaveToFlowControl,
         0x7F},
        {"xon/xoff",
         [](LineSettings& s) {
             s.xonXoffInput = true;
             s.xonXoffOutput = true;
         },
         CRTSCTS, 0, IXON | IXOFF, IXON | IXOFF, ModemLineRequest::Assert,
         ModemLineRequest::Deassert, 0x7F},
        {"dtr off", [](LineSettings& s) { s.dtrControl = DtrControl::Disabled; }, 0, 0, 0, 0,
         ModemLineRequest::Deassert, ModemLineRequest::Deassert, 0x7F},
        {"parity check", [](LineSettings& s) { s.parityCheck = true; }, 0, 0, INPCK, INPCK,
         ModemLineRequest::Assert, ModemLineRequest::Deassert, 0x7F},
    };
    for (const Case& c : cases) {
        LineSettings s = MeterLine();
        c.change(s);
        const TermiosRequest r = MapLineSettings(s, Raw());
        EXPECT_EQ(r.lineTermios.c_cflag & c.cflagMask, c.cflagExpected) << c.name;
        EXPECT_EQ(r.lineTermios.c_iflag & c.iflagMask, c.iflagExpected) << c.name;
        EXPECT_EQ(r.dtr, c.dtr) << c.name;
        EXPECT_EQ(r.rts, c.rts) << c.name;
        EXPECT_EQ(r.characterMask, c.mask) << c.name;
    }
}

TEST(TermiosMapping, SpeedsWithoutAConstantAreSetByNumber) {
    for (std::uint32_t baud : {14400u, 56000u}) {
        LineSettings s = MeterLine();
        s.baudRate = baud;
        const TermiosRequest r = MapLineSettings(s, Raw());
        EXPECT_TRUE(r.customSpeed) << baud;
        EXPECT_EQ(r.baudRate, baud);
    }
    for (std::uint32_t baud :
         {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        EXPECT_NE(SpeedConstant(baud), static_cast<speed_t>(B0)) << baud;
    }
}

TEST(OpenFailure, ReasonsNameTheCause) {
    struct Case {
        int error;
        SerialOpenFailure kind;
        const char* words;
    };
    const Case cases[] = {
        {ENOENT, SerialOpenFailure::NoSuchDevice, "no such device"},
        {ENXIO, SerialOpenFailure::NoSuchDevice, "no such device"},
        {EBUSY, SerialOpenFailure::Busy, "in use"},
        {EACCES, SerialOpenFailure::PermissionDenied, "dialout"},
        {EPERM, SerialOpenFailure::PermissionDenied, "permission denied"},
        {EIO, SerialOpenFailure::Other, "Input/output error"},
    };
    for (const Case& c : cases) {
        const SerialOpenError e = DescribeOpenFailure("COM1", "/dev/ttyUSB0", c.error);
        EXPECT_EQ(e.kind, c.kind) << c.error;
        EXPECT_EQ(e.osError, c.error);
        EXPECT_NE(e.message.find(c.words), std::string::npos) << e.message;
        EXPECT_NE(e.message.find("COM1 (/dev/ttyUSB0)"), std::string::npos) << e.message;
    }
}

}  // namespace
}  // namespace varlo
