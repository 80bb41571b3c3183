#pragma once

#include <array>
#include <string>

namespace varlo {

// The states of the window's connection controls, with the form's defaults.
// The connection owns them; the window only shows them. The link indicator
// (CONok, CONokN) belongs to the decoder and LCDsend to the LCD panel.
struct ConnectionControls {
    // Two-state buttons of one group: at most one of them is down.
    bool COMConDown = false;
    bool COMConVisible = true;
    bool USBConDown = false;
    bool USBConVisible = true;
    std::string USBConCaption = "USB Connect";

    // The port panels BtCOM1 to BtCOM4, stacked at one place.
    std::array<bool, 4> BtCOMVisible = {true, false, false, false};
    std::array<bool, 4> BtCOMEnabled = {true, true, true, true};

    // The hidden menus: ComSetup1 with the port items COM11 to COM41, and
    // Connect1 with START1 and STOP1.
    bool ComSetup1Enabled = true;
    std::array<bool, 4> COMChecked = {true, false, false, false};
    bool START1Checked = false;
    bool START1Enabled = true;
    bool STOP1Checked = false;
    bool STOP1Enabled = false;

    // The panels "Connect" and "Disconnect" outside the visible client area.
    bool BTConVisible = true;
    bool BtDisconVisible = false;

    bool operator==(const ConnectionControls&) const = default;
};

}  // namespace varlo
