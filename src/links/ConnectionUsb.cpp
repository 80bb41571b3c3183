// The USB half of the connection and the link watchdog.
#include "links/Connection.h"

namespace varlo {

void Connection::USBConClick() {
    // ReadBtn is up here: the selected device's OnData becomes none, which
    // ends any reception.
    usb_.ReadBtnClick();
    usbDevice_.clear();
    // Sends the feature report (also when disconnecting); without a cable it
    // tells the user and releases USBCon.
    usb_.SetFeatureClick();
    assembler_.SetIdleReportCount(0);
    // CurrentHidDevice is now the selected line's device, or none.
    if (usb_.DevListBox().Count() > 0 && usb_.DevListBox().Selected() >= 0) {
        TJvHidDevice* device = usb_.SelectedDevice();
        if (!device || !device->ReadWriteAccess()) {
            SetUSBConDown(false);
        } else if (controls_.USBConDown) {
            StartUsbReception(device);
        }
    }
    if (!controls_.USBConDown) {
        controls_.COMConVisible = true;
        controls_.BtCOMVisible = {true, true, true, true};
        controls_.USBConCaption = "USB Connection";
        panel_.SwitchOff(LcdFlag::LCDsend);
    } else {
        controls_.USBConCaption = "USB Disconnect";
        panel_.Light(LcdFlag::LCDsend);
        controls_.COMConVisible = false;
        controls_.BtCOMVisible = {false, false, false, false};
    }
    Changed();
}

void Connection::StartUsbReception(TJvHidDevice* device) {
    if (!hidKestoData_) {
        device->SetOnData(nullptr);
        return;
    }
    // A cable pulled mid-frame and plugged in again must not finish the
    // frame it began before.
    assembler_.StartAfresh();
    usbDevice_ = device->PnPInfo().DevicePath;
    // The handler is copied, so a device never calls into a connection that
    // has gone.
    ReportHandler handler = hidKestoData_;
    device->SetOnData(TJvHidDataEvent(
        &hidKestoDataKey_, [handler](TJvHidDevice*, std::uint8_t id, const std::uint8_t* data,
                                     std::uint16_t size) { handler(id, data, size); }));
}

void Connection::OnUsbReadError(TJvHidDevice* device, std::uint32_t code) {
    if (usbDevice_.empty() || !device || device->PnPInfo().DevicePath != usbDevice_) return;
    if (DeviceGoneError(code)) {
        ReportLost(usbDevice_);
    } else if (onUsbReadError_) {
        onUsbReadError_(code);
    }
}

void Connection::OnUsbListRebuilt() {
    // A rebuild stops reception but leaves USBCon down; the cable may still
    // be there, or it may have gone.
    if (usbDevice_.empty()) return;
    auto& lines = usb_.DevListBox();
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        const TJvHidDevice* device = lines.ItemAt(i);
        if (device && device->PluggedIn() && device->PnPInfo().DevicePath == usbDevice_) return;
    }
    ReportLost(usbDevice_);
}

void Connection::ConTimerTimer() {
    if (link_.LinkIdleTicks != 2) {
        ++link_.LinkIdleTicks;
        return;
    }
    if (assembler_.IdleReportCount() >= kIdleReportLimit) {
        assembler_.SetIdleReportCount(0);
        SetUSBConDown(false);
        if (TJvHidDevice* device = usb_.CurrentHidDevice()) device->SetOnData(nullptr);
        usbDevice_.clear();
        Inform(kMeterNotReadyText);
    }
    link_.CONokVisible = false;
    link_.CONokNVisible = true;
    link_.LinkIdleTicks = 0;
    Changed();
}

}  // namespace varlo
