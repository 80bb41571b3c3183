#include "app/UsbDeviceInfo.h"

#include <cstdio>

#include "links/JvHidControllerClass.h"
#include "links/UsbDeviceList.h"

namespace varlo::app {

namespace {

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%.4X", value);
    return text;
}

}  // namespace

std::string UsbDeviceInfoText(UsbDeviceList& usb) {
    const auto& lines = usb.DevListBox();
    if (lines.Selected() < 0) {
        return "No USB cable is selected: none of the " + std::to_string(lines.Count()) +
               " HID devices listed is \"" + UsbDeviceList::kCableDescription + "\".";
    }
    const std::string& line = lines.Line(static_cast<std::size_t>(lines.Selected()));
    TJvHidDevice* device = usb.SelectedDevice();
    if (device == nullptr) return line + "\nThe device could not be taken for use.";
    const THIDPCaps caps = device->Capabilities();
    std::string text = line + "\n";
    text += "Vendor ID " + Hex4(device->VendorID()) + ", product ID " + Hex4(device->ProductID()) +
            ", version " + Hex4(device->VersionNumber()) + "\n";
    text += "Device: " + device->PnPInfo().DevicePath + "\n";
    if (!device->PluggedIn()) {
        text += "Unplugged.\n";
    } else if (device->ReadWriteAccess()) {
        text += "Can be read and written.\n";
    } else {
        text += "Cannot be read or written (install the udev rule 70-varlo-usb-cable.rules).\n";
    }
    text += "Reports (with the report ID): input " + std::to_string(caps.InputReportByteLength) +
            " bytes, output " + std::to_string(caps.OutputReportByteLength) + " bytes, feature " +
            std::to_string(caps.FeatureReportByteLength) + " bytes.";
    return text;
}

}  // namespace varlo::app
