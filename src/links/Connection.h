#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/Dialogs.h"
#include "common/Timer.h"
#include "decode/FrameAssembler.h"
#include "decode/LcdPanel.h"
#include "decode/MeterDecoder.h"
#include "links/ComDrv32.h"
#include "links/ConnectionControls.h"
#include "links/UsbDeviceList.h"

namespace varlo {

// A read failure that means the device has gone: a pulled adapter or cable,
// a terminal whose other side closed, a cable whose node has disappeared
// before its reader could open it (ENOENT).
inline bool DeviceGoneError(long error) {
    return error == EIO || error == ENODEV || error == ENXIO || error == ENOENT;
}

// The window's connection to the meter, without the window: the connection
// controls' state, their handlers (port choice, serial connect and
// disconnect, USB connect and disconnect) and the link watchdog ConTimer.
// The serial link is the driver COMM2, the USB link the cable selected in
// the USB device list. Everything runs on the GUI thread.
class Connection {
  public:
    using ReportHandler = UsbDeviceList::ReportHandler;

    static constexpr int kConTimerInterval = 300;
    // Idle reports in a row after which the watchdog stops USB reception.
    static constexpr std::int32_t kIdleReportLimit = 1900;
    static constexpr const char* kMeterNotReadyText =
        "USB interface cable is securely connected, please check if the meter is ready.";

    // `hidKestoData` is the USB report handler that USB Connect installs
    // (none when the meter variant has none). `link` is the decoder's link
    // indicator, `panel` the LCD replica that shows LCDsend. The connection
    // starts `conTimer` and takes over the list's release of USBCon and the
    // driver's read-error event.
    Connection(TCommPortDriver& COMM2, UsbDeviceList& usb, FrameAssembler& assembler,
               LinkIndicator& link, LcdPanel& panel, Dialogs& dialogs,
               std::unique_ptr<Timer> conTimer, ReportHandler hidKestoData);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // What the window shows.
    const ConnectionControls& Controls() const { return controls_; }
    const LinkIndicator& Link() const { return link_; }
    bool LCDsendVisible() const { return panel_.Lit(LcdFlag::LCDsend); }
    // The panel seen on top of the stack (0 to 3 for BtCOM1 to BtCOM4), -1
    // when none is visible.
    int SeenPortPanel() const;

    // Runs after every handler, setter and watchdog tick that moved the
    // state, and before a message is shown.
    void SetOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }
    // A device went away during reception: its reads failed as
    // DeviceGoneError says, or the USB cable left the device list. Told once
    // per connection, with the device path. The window leaves it to the
    // watchdog (no frames arrive); varlo-cli ends its run.
    void SetOnDeviceLost(std::function<void(const std::string& device)> onLost) {
        onDeviceLost_ = std::move(onLost);
    }
    // Every other failed read of the cable during USB reception (the window
    // shows them in the history list already).
    void SetOnUsbReadError(std::function<void(std::uint32_t code)> onError) {
        onUsbReadError_ = std::move(onError);
    }

    // Clicks as the user makes them: a click toggles the button (pressing
    // one releases the other) and then runs its handler. A click on the port
    // panels reaches the one seen on top, only while it is enabled.
    void ClickCOMCon();
    void ClickUSBCon();
    void ClickPortPanel();

    // The states set from code, without running a handler.
    void SetCOMConDown(bool down);
    void SetUSBConDown(bool down);

    // Port choice (menu items COM11 to COM41; the panels BtCOM4, BtCOM1,
    // BtCOM2, BtCOM3 in that order).
    void COM11Click() { ChoosePort(pnCOM1); }
    void COM21Click() { ChoosePort(pnCOM2); }
    void COM31Click() { ChoosePort(pnCOM3); }
    void COM41Click() { ChoosePort(pnCOM4); }

    // The handlers, run after the click toggled the button.
    void COMConClick();
    void USBConClick();
    // START1 and the panel BTCon; STOP1 and the panel BtDiscon.
    void BTCon1Click();
    void BtDiscon1Click();

    // The watchdog, every 300 ms.
    void ConTimerTimer();

  private:
    void ChoosePort(TComPortNumber port);
    // The serial connect steps; false (with the controls as before and the
    // user told why) when the port cannot be opened.
    bool ConnectSteps();
    void DisconnectSteps();
    void StartUsbReception(TJvHidDevice* device);
    void StopUsbReception(TJvHidDevice* device);
    void OnSerialReadError(int errorNumber);
    void OnUsbReadError(TJvHidDevice* device, std::uint32_t code);
    void OnUsbListRebuilt();
    void ReportLost(std::string& device);
    void Inform(const std::string& text);
    void Changed();

    TCommPortDriver& COMM2_;
    UsbDeviceList& usb_;
    FrameAssembler& assembler_;
    LinkIndicator& link_;
    LcdPanel& panel_;
    Dialogs& dialogs_;
    std::unique_ptr<Timer> conTimer_;
    ReportHandler hidKestoData_;
    ConnectionControls controls_;
    std::function<void()> onChanged_;
    std::function<void(const std::string&)> onDeviceLost_;
    std::function<void(std::uint32_t)> onUsbReadError_;
    // The devices in reception, empty when none (or once reported lost).
    std::string serialDevice_;
    std::string usbDevice_;
    const char hidKestoDataKey_ = 0;  // code identity of the USB report handler
};

}  // namespace varlo
