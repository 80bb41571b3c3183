#include "links/UsbDeviceList.h"

#include <QString>
#include <cstdio>

#include "common/Hex.h"
#include "common/VarloError.h"

namespace varlo {
namespace {

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%.4X", value);
    return text;
}

std::string Narrow(const std::u16string& text) {
    return QString::fromStdU16String(text).toStdString();
}

}  // namespace

UsbDeviceList::UsbDeviceList(Dialogs& dialogs, LineSink& history)
    : dialogs_(dialogs), historyListBox_(history) {}

void UsbDeviceList::AppendHistory(const std::string& line) {
    historyListBox_.Add(line);
    historyListBox_.SelectLast();
}

UsbDeviceList::~UsbDeviceList() {
    if (controller_) {
        // The controller must not call back into a list that has gone.
        controller_->SetOnArrival(nullptr);
        controller_->SetOnEnumerate(nullptr);
        controller_->SetOnDeviceDataError(nullptr);
        controller_->SetOnRemoval(nullptr);
        controller_->SetOnDeviceChange(nullptr);
    }
    // A device that cannot be opened again has left the controller's list;
    // nobody is left to tell.
    CheckInAll();
}

void UsbDeviceList::Attach(TJvHidDeviceController& controller) {
    controller_ = &controller;
    controller.SetOnArrival(TJvHidPlugEvent(this, &UsbDeviceList::HidCtlArrival));
    controller.SetOnEnumerate(TJvHidEnumerateEvent(this, &UsbDeviceList::HidCtlEnumerate));
    controller.SetOnDeviceChange(TJvHidNotifyEvent(this, &UsbDeviceList::HidCtlDeviceChange));
    controller.SetOnDeviceDataError(
        TJvHidDataErrorEvent(this, &UsbDeviceList::HidCtlDeviceDataError));
    controller.SetOnRemoval(TJvHidPlugEvent(this, &UsbDeviceList::HidCtlRemoval));
}

std::string UsbDeviceList::CheckInAll() {
    // Line by line, every one of them even when a check-in fails (the
    // controller has already dropped that device); the first failure's
    // text is returned.
    std::string failure;
    while (devListBox_.Count() > 0) {
        TJvHidDevice* device = devListBox_.ItemAt(0);
        devListBox_.RemoveFirst();
        try {
            TJvHidDevice::CheckIn(device);
        } catch (const VarloError& error) {
            if (failure.empty()) failure = error.what();
        }
    }
    return failure;
}

void UsbDeviceList::HidCtlDeviceChange(TJvHidDeviceController*) {
    readBtnDown_ = false;
    ReadBtnClick();
    currentHidDevice_ = nullptr;
    // A device that cannot be opened again is reported once the list is
    // rebuilt: the notice comes from the system, and nothing above this
    // handler could show it.
    const std::string failure = CheckInAll();
    devListBox_.Clear();
    if (controller_) controller_->Enumerate();
    for (std::size_t i = 0; i < devListBox_.Count(); ++i) {
        if (devListBox_.Line(i) == kCableDescription) devListBox_.Select(static_cast<int>(i));
    }
    if (!failure.empty()) dialogs_.ShowError(failure);
    if (onRebuilt_) onRebuilt_();
}

bool UsbDeviceList::HidCtlEnumerate(TJvHidDevice* HidDev, std::int32_t Idx) {
    const std::string description = DeviceDescription(HidDev);
    TJvHidDevice* device = nullptr;
    if (controller_) controller_->CheckOutAt(Idx, device);
    devListBox_.Add(description, device);
    return true;
}

void UsbDeviceList::HidCtlArrival(TJvHidDevice* HidDev) {
    AppendHistory("Arrival of " + DeviceDescription(HidDev));
}

void UsbDeviceList::HidCtlRemoval(TJvHidDevice* HidDev) {
    AppendHistory("Removal of " + DeviceDescription(HidDev));
}

void UsbDeviceList::HidCtlDeviceDataError(TJvHidDevice* HidDev, std::uint32_t Error) {
    char code[16];
    std::snprintf(code, sizeof code, "%X", Error);
    AppendHistory("READ ERROR: " + HidErrorText(Error) + " (" + code + ")");
    if (onReadError_) onReadError_(HidDev, Error);
}

TJvHidDevice* UsbDeviceList::SelectedDevice() {
    const int selected = devListBox_.Selected();
    if (devListBox_.Count() == 0 || selected < 0) return nullptr;
    return devListBox_.ItemAt(static_cast<std::size_t>(selected));
}

void UsbDeviceList::ReadBtnClick() {
    currentHidDevice_ = nullptr;
    if (devListBox_.Count() == 0 || devListBox_.Selected() < 0) return;
    currentHidDevice_ = SelectedDevice();
    if (!currentHidDevice_) return;
    if (!currentHidDevice_->ReadWriteAccess()) {
        readBtnDown_ = false;
        return;
    }
    if (readBtnDown_) {
        currentHidDevice_->SetOnData(TJvHidDataEvent(
            &readDataKey_,
            [this](TJvHidDevice*, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
                if (hidReadData_) hidReadData_(id, data, size);
            }));
    } else {
        currentHidDevice_->SetOnData(nullptr);
    }
}

void UsbDeviceList::SetFeatureClick() {
    currentHidDevice_ = nullptr;
    if (devListBox_.Count() > 0 && devListBox_.Selected() >= 0) {
        currentHidDevice_ = SelectedDevice();
        if (currentHidDevice_) {
            const auto report = FeatureReportFor(currentHidDevice_);
            currentHidDevice_->SendFeatureReport(report.data(), report.size());
        }
        AppendHistory(FeatureReportLine(FeatureReport()));
        return;
    }
    dialogs_.Inform(kNotConnectedText);
    if (releaseUSBCon_) releaseUSBCon_();
}

void UsbDeviceList::ClearBtnClick() {
    historyListBox_.Clear();
}

std::string UsbDeviceList::DeviceDescription(TJvHidDevice* HidDev) {
    std::string description;
    const std::u16string product = HidDev->ProductString();
    if (!product.empty()) {
        description = Narrow(product);
    } else {
        description =
            "Device VID=" + Hex4(HidDev->VendorID()) + " PID=" + Hex4(HidDev->ProductID());
    }
    const std::u16string serial = HidDev->SerialString();
    if (!serial.empty()) description += " (Serial=" + Narrow(serial) + ")";
    return description;
}

std::array<std::uint8_t, 10> UsbDeviceList::FeatureReport() {
    // Report ID 0, 19200 as a little-endian 32-bit number, data-bits code 3.
    return {0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};
}

std::string UsbDeviceList::FeatureReportLine(const std::array<std::uint8_t, 10>& report) {
    std::string line;
    for (std::uint8_t byte : report) {
        AppendHexByte(line, byte);
        line.push_back(' ');
    }
    return line;
}

std::vector<std::uint8_t> UsbDeviceList::FeatureReportFor(TJvHidDevice* HidDev) {
    const auto report = FeatureReport();
    std::vector<std::uint8_t> bytes(report.begin(), report.end());
    const std::uint16_t declared = HidDev->Capabilities().FeatureReportByteLength;
    if (declared > 0) bytes.resize(declared, 0);
    return bytes;
}

}  // namespace varlo
