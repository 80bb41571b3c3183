#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "common/Dialogs.h"
#include "decode/TraceSinks.h"
#include "links/JvHidControllerClass.h"
#include "links/UsbLineList.h"

namespace varlo {

// The window's list of HID interfaces with their checked-out device objects,
// the history of USB events, the cable's feature report and the Read
// toggle. The handlers keep the window's names; they run on the GUI thread.
class UsbDeviceList {
  public:
    // The frame assembler's report entry (HidReadData): report ID, the bytes
    // after it and their count.
    using ReportHandler = std::function<void(std::uint8_t, const std::uint8_t*, std::uint16_t)>;

    static constexpr const char* kCableDescription = "USB to Serial";
    static constexpr const char* kNotConnectedText =
        "USB interface cable is not securely connected, please check and re-try.";
    // `history` is the HistoryListBox that the frame assembler's report
    // handlers write to as well.
    UsbDeviceList(Dialogs& dialogs, LineSink& history);
    // Checks in every listed device object.
    ~UsbDeviceList();
    UsbDeviceList(const UsbDeviceList&) = delete;
    UsbDeviceList& operator=(const UsbDeviceList&) = delete;

    // Binds the handlers to the controller's events in the window's order
    // (OnArrival, OnEnumerate, OnDeviceChange, OnDeviceDataError, OnRemoval);
    // binding OnDeviceChange fills the list and selects the cable.
    void Attach(TJvHidDeviceController& controller);

    void HidCtlDeviceChange(TJvHidDeviceController* Sender);
    bool HidCtlEnumerate(TJvHidDevice* HidDev, std::int32_t Idx);
    void HidCtlArrival(TJvHidDevice* HidDev);
    void HidCtlRemoval(TJvHidDevice* HidDev);
    void HidCtlDeviceDataError(TJvHidDevice* HidDev, std::uint32_t Error);

    void ReadBtnClick();
    void SetFeatureClick();
    void ClearBtnClick();

    // The Read toggle's state (down = true).
    bool ReadBtnDown() const { return readBtnDown_; }
    void SetReadBtnDown(bool down) { readBtnDown_ = down; }
    // Releases the USB Connect button without running its click handler.
    void SetReleaseUSBCon(std::function<void()> release) { releaseUSBCon_ = std::move(release); }
    void SetHidReadData(ReportHandler handler) { hidReadData_ = std::move(handler); }
    // Told of each read error once the history shows it, and after each
    // rebuild of the list (for the connection, which follows its cable).
    void SetOnReadError(std::function<void(TJvHidDevice*, std::uint32_t)> observer) {
        onReadError_ = std::move(observer);
    }
    void SetOnRebuilt(std::function<void()> observer) { onRebuilt_ = std::move(observer); }

    // The device of the selected line as the last Read, SetFeature or USB
    // Connect action took it; none after a rebuild of the list.
    TJvHidDevice* CurrentHidDevice() const { return currentHidDevice_; }
    // The device of the selected line, or none.
    TJvHidDevice* SelectedDevice();

    UsbLineList<TJvHidDevice*>& DevListBox() { return devListBox_; }
    LineSink& HistoryListBox() { return historyListBox_; }

    // The line text of a device: its product string, or its identifiers, and
    // the serial number if it has one.
    static std::string DeviceDescription(TJvHidDevice* HidDev);
    // The 10 bytes that set the cable's line to 19200 baud.
    static std::array<std::uint8_t, 10> FeatureReport();
    // "00 00 4B 00 00 03 00 00 00 00 "
    static std::string FeatureReportLine(const std::array<std::uint8_t, 10>& report);
    // The report as sent to a device: padded with zeros or cut to the
    // feature report length its descriptor declares, else as it is.
    static std::vector<std::uint8_t> FeatureReportFor(TJvHidDevice* HidDev);

  private:
    std::string CheckInAll();
    void AppendHistory(const std::string& line);

    Dialogs& dialogs_;
    TJvHidDeviceController* controller_ = nullptr;
    UsbLineList<TJvHidDevice*> devListBox_;
    LineSink& historyListBox_;
    TJvHidDevice* currentHidDevice_ = nullptr;
    bool readBtnDown_ = false;
    std::function<void()> releaseUSBCon_;
    ReportHandler hidReadData_;
    std::function<void(TJvHidDevice*, std::uint32_t)> onReadError_;
    std::function<void()> onRebuilt_;
    const char readDataKey_ = 0;  // code identity of the HidReadData handler
};

}  // namespace varlo
