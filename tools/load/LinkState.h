#pragma once

#include <string>

class QWidget;

namespace varlo::load {

// The connection controls as the window shows them, in one line: "COMCon
// up | USBCon up USB Connect | panels 1--- | COM1 | START on | STOP off |
// BTCon". Each connect button hidden, up or down (USBCon with its caption);
// each port panel shown and enabled (its number), shown and disabled (#) or
// hidden (-); the port checked in the menu ("locked" while the menu is
// disabled); START and STOP checked or not, enabled (on) or not; which of
// BTCon and BtDiscon shows. LCDsend is left out: each frame decoded hides
// and lights it, so a link cut mid-frame may leave it either way.
std::string LinkSummary(const QWidget& window);

// The states of the window's link in that form.
extern const char* const kSerialState;
extern const char* const kIdleAfterSerialState;
// USB reception, and the state a device change leaves (the same controls;
// only the reader has stopped).
extern const char* const kUsbState;
extern const char* const kIdleAfterUsbState;

// A USB state once the serial link has been closed before: the disconnect
// steps leave STOP checked, and nothing of USB touches it.
std::string AfterSerialClosed(std::string usbState);

// The link indicator: "lit" (CONok shown, CONokN hidden), "dark" (the
// other way round), or what else it shows.
std::string Indicator(const QWidget& window);

}  // namespace varlo::load
