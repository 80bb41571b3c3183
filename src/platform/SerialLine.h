#pragma once

#include <cstdint>

namespace varlo {

// How the DTR line is driven while the port is open.
enum class DtrControl : std::uint8_t { Disabled = 0, Enabled = 1, Handshake = 2 };
// How the RTS line is driven while the port is open.
enum class RtsControl : std::uint8_t { Disabled = 0, Enabled = 1, Handshake = 2, Toggle = 3 };

// The serial line-settings record: every field of a serial port's line
// programming in one value. A record that is only zero-initialised is a
// valid (if useless) request; the driver fills in what it wants.
struct LineSettings {
    std::uint32_t recordLength = 0;
    std::uint32_t baudRate = 0;
    bool binaryMode = false;     // no end-of-file character processing
    bool parityCheck = false;    // flag or replace characters with parity errors
    bool ctsOutputFlow = false;  // hold output while CTS is low
    bool dsrOutputFlow = false;  // hold output while DSR is low
    DtrControl dtrControl = DtrControl::Disabled;
    bool dsrSensitivity = false;  // drop input while DSR is low
    bool txContinueOnXoff = false;
    bool xonXoffOutput = false;
    bool xonXoffInput = false;
    bool errorCharReplace = false;
    bool stripNul = false;
    RtsControl rtsControl = RtsControl::Disabled;
    bool abortOnError = false;
    std::uint16_t xonLimit = 0;
    std::uint16_t xoffLimit = 0;
    std::uint8_t byteSize = 0;  // data bits per character, 5 to 8
    std::uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
    char xonChar = 0;
    char xoffChar = 0;
    char errorChar = 0;
    char eofChar = 0;
    char eventChar = 0;
};

// Read and write time-outs of an open port, in milliseconds.
struct PortTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
};

}  // namespace varlo
