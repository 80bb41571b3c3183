#pragma once

#include <string>

namespace varlo {
class UsbDeviceList;
}

namespace varlo::app {

// What the window knows of the device of the list's selected line, for the
// "Info" button: its line text, identifiers and version, where it is, whether
// it can be read, and its report lengths; without a selected line, that no
// cable is selected. Only the device object is asked, never the controller.
std::string UsbDeviceInfoText(UsbDeviceList& usb);

}  // namespace varlo::app
