#include "links/Connection.h"

#include <utility>

namespace varlo {
namespace {

// The panels from the top of the stack down: BtCOM4, BtCOM3, BtCOM1, BtCOM2.
constexpr int kStackFromTop[] = {3, 2, 0, 1};
// The port each panel's click chooses: the next one after its own.
constexpr TComPortNumber kPanelClickPort[] = {pnCOM2, pnCOM3, pnCOM4, pnCOM1};

std::string OpenFailureText(const SerialOpenError& error) {
    std::string where = error.port;
    if (!error.device.empty() && error.device != error.port) where += " (" + error.device + ")";
    const std::string& reason = error.reason.empty() ? error.message : error.reason;
    return "The serial port " + where + " cannot be opened: " + reason;
}

}  // namespace

Connection::Connection(TCommPortDriver& COMM2, UsbDeviceList& usb, FrameAssembler& assembler,
                       LinkIndicator& link, LcdPanel& panel, Dialogs& dialogs,
                       std::unique_ptr<Timer> conTimer, ReportHandler hidKestoData)
    : COMM2_(COMM2),
      usb_(usb),
      assembler_(assembler),
      link_(link),
      panel_(panel),
      dialogs_(dialogs),
      conTimer_(std::move(conTimer)),
      hidKestoData_(std::move(hidKestoData)) {
    usb_.SetReleaseUSBCon([this] { SetUSBConDown(false); });
    usb_.SetOnReadError(
        [this](TJvHidDevice* device, std::uint32_t code) { OnUsbReadError(device, code); });
    usb_.SetOnRebuilt([this] { OnUsbListRebuilt(); });
    COMM2_.SetOnReadError([this](int errorNumber) { OnSerialReadError(errorNumber); });
    conTimer_->setTimeout([this] { ConTimerTimer(); });
    conTimer_->start(kConTimerInterval);
}

Connection::~Connection() {
    conTimer_->stop();
    conTimer_->setTimeout(nullptr);
    usb_.SetReleaseUSBCon(nullptr);
    usb_.SetOnReadError(nullptr);
    usb_.SetOnRebuilt(nullptr);
    COMM2_.SetOnReadError(nullptr);
}

int Connection::SeenPortPanel() const {
    for (int panel : kStackFromTop) {
        if (controls_.BtCOMVisible[static_cast<std::size_t>(panel)]) return panel;
    }
    return -1;
}

void Connection::Changed() {
    if (onChanged_) onChanged_();
}

void Connection::Inform(const std::string& text) {
    // The view shows the state the message is about while the box is up.
    Changed();
    dialogs_.Inform(text);
}

// ---------------------------------------------------------------------------
// Clicks and states

void Connection::ClickCOMCon() {
    if (!controls_.COMConVisible) return;
    SetCOMConDown(!controls_.COMConDown);
    COMConClick();
}

void Connection::ClickUSBCon() {
    if (!controls_.USBConVisible) return;
    SetUSBConDown(!controls_.USBConDown);
    USBConClick();
}

void Connection::ClickPortPanel() {
    const int panel = SeenPortPanel();
    if (panel < 0 || !controls_.BtCOMEnabled[static_cast<std::size_t>(panel)]) return;
    ChoosePort(kPanelClickPort[panel]);
}

void Connection::SetCOMConDown(bool down) {
    controls_.COMConDown = down;
    if (down) controls_.USBConDown = false;
    Changed();
}

void Connection::SetUSBConDown(bool down) {
    controls_.USBConDown = down;
    if (down) controls_.COMConDown = false;
    Changed();
}

// ---------------------------------------------------------------------------
// Serial link

void Connection::ChoosePort(TComPortNumber port) {
    for (std::size_t i = 0; i < 4; ++i) controls_.COMChecked[i] = i == port;
    for (std::size_t i = 0; i < 4; ++i) controls_.BtCOMVisible[i] = i == port;
    // The driver ignores this while its port is open.
    COMM2_.SetComPort(port);
    Changed();
}

bool Connection::ConnectSteps() {
    const ConnectionControls before = controls_;
    controls_.ComSetup1Enabled = false;
    controls_.START1Checked = true;
    controls_.START1Enabled = false;
    controls_.STOP1Enabled = true;
    controls_.STOP1Checked = false;
    // A new connection never finishes a frame begun on an earlier one.
    if (!COMM2_.Connected()) assembler_.StartAfresh();
    if (!COMM2_.Connect()) {
        controls_ = before;
        controls_.COMConDown = false;
        controls_.USBConVisible = true;
        Inform(OpenFailureText(COMM2_.LastConnectError()));
        return false;
    }
    serialDevice_ = COMM2_.DevicePath();
    controls_.BTConVisible = false;
    controls_.BtDisconVisible = true;
    controls_.BtCOMEnabled = {false, false, false, false};
    return true;
}

void Connection::DisconnectSteps() {
    controls_.ComSetup1Enabled = true;
    controls_.START1Checked = false;
    controls_.START1Enabled = true;
    controls_.STOP1Enabled = false;
    controls_.STOP1Checked = true;
    COMM2_.Disconnect();
    serialDevice_.clear();
    controls_.BTConVisible = true;
    controls_.BtDisconVisible = false;
    controls_.BtCOMEnabled = {true, true, true, true};
}

void Connection::COMConClick() {
    if (controls_.COMConDown) {
        if (ConnectSteps()) controls_.USBConVisible = false;
    } else {
        DisconnectSteps();
        controls_.USBConVisible = true;
    }
    Changed();
}

void Connection::BTCon1Click() {
    if (ConnectSteps()) SetCOMConDown(true);
    Changed();
}

void Connection::BtDiscon1Click() {
    DisconnectSteps();
    SetCOMConDown(false);
}

void Connection::OnSerialReadError(int errorNumber) {
    if (DeviceGoneError(errorNumber) && !serialDevice_.empty()) ReportLost(serialDevice_);
}

void Connection::ReportLost(std::string& device) {
    const std::string gone = std::move(device);
    device.clear();
    if (onDeviceLost_) onDeviceLost_(gone);
}

}  // namespace varlo
