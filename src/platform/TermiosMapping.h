#pragma once

#include <termios.h>

#include <cstdint>

#include "platform/SerialLine.h"

namespace varlo {

// What to do with a modem control line after programming the line.
enum class ModemLineRequest : std::uint8_t { Assert, Deassert, LeaveToFlowControl };

// The POSIX form of a line-settings record.
struct TermiosRequest {
    termios lineTermios{};     // raw mode plus the record's framing and flow control
    bool customSpeed = false;  // baudRate has no Bnnn constant; set it by number
    std::uint32_t baudRate = 0;
    ModemLineRequest dtr = ModemLineRequest::Deassert;
    ModemLineRequest rts = ModemLineRequest::Deassert;
    std::uint8_t characterMask = 0xFF;  // what the line framing keeps of each received byte
};

// Turns t into raw mode: no echo, no line editing, no CR/LF translation,
// no signals, 8 bits; receiver on, modem status ignored; reads return at
// once with what is queued.
void MakeRawTermios(termios& t);

// The termios settings and modem-line requests for a line-settings record,
// starting from `raw` (what MakeRawTermios left on the port).
TermiosRequest MapLineSettings(const LineSettings& settings, const termios& raw);

// The Bnnn constant of a speed, or B0 when there is none.
speed_t SpeedConstant(std::uint32_t baudRate);

}  // namespace varlo
