// The window's links: COMM2, HidCtl with the USB device list, the
// connection that drives both, and the controls that show them.
#include <QAbstractButton>
#include <QAction>
#include <QTimer>

#include "app/ConnectionView.h"
#include "app/Controls.h"
#include "app/TFCOMM.h"
#include "app/UsbDeviceInfo.h"
#include "app/UsbListsView.h"
#include "app/WindowLayout.h"
#include "app/WindowTimer.h"
#include "common/Dialogs.h"
#include "links/ComDrv32.h"
#include "links/Connection.h"
#include "links/JvHidControllerClass.h"
#include "links/UsbDeviceList.h"
#include "platform/LinuxSerialPort.h"
#include "platform/QtTimer.h"

namespace varlo::app {

void TFCOMM::BuildLinks() {
    // "COM1" to "COM4" are the devices VARLO_COM1 to VARLO_COM4 name, or the
    // serial devices present.
    ports_ = std::make_unique<LinuxSerialPortSystem>();
    connectionView_ = std::make_unique<ConnectionView>(*this, *ports_);
    usbListsView_ = std::make_unique<UsbListsView>(*this, [this](int row) {
        if (usb_) usb_->DevListBox().Select(row);  // a line the user chose
    });

    // COMM2: COM1 at 19200 baud, 7 data bits, odd parity, polled every 50 ms;
    // what it reads goes to the receive handler of the meter variant.
    COMM2_ = std::make_unique<TCommPortDriver>(*ports_, std::make_unique<QtTimer>());
    ConfigureAsCOMM2(*COMM2_);
    COMM2_->SetOnReceiveData([this](void*, const std::uint8_t* data, std::uint32_t size) {
        session_->OnSerialData(data, size);
    });

    // HidCtl gets the USB device list's handlers, bound in the order
    // OnArrival, OnEnumerate, OnDeviceChange, OnDeviceDataError, OnRemoval:
    // binding OnDeviceChange fills the list and selects the cable now, before
    // the window first shows.
    usb_ = std::make_unique<UsbDeviceList>(dialogs_, session_->HistoryListBox());
    usb_->SetHidReadData([this](std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
        session_->Assembler().HidReadData(id, data, size);
        ShowHistory();
    });
    usb_->DevListBox().Changed = [this] { ShowUsbLists(); };
    usb_->Attach(*HidCtl_);

    // USB Connect attaches HidKestoData when the form's IFKESTO is checked.
    Connection::ReportHandler hidKestoData;
    if (const ControlRow* row = FindControlRow("IFKESTO"); row && (row->flags & kChecked)) {
        hidKestoData = [this](std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
            session_->OnHidReport(id, data, size);
            ShowHistory();
        };
    }
    connection_ = std::make_unique<Connection>(
        *COMM2_, *usb_, session_->Assembler(), session_->Link(), session_->LinkPanel(), dialogs_,
        std::make_unique<WindowTimer>(*this, "ConTimer"), std::move(hidKestoData));
    connection_->SetOnChanged([this] { ShowLinks(); });
    // A read error's history line comes without a notice: the watchdog's
    // ticks bring the history up to date.
    connect(&Control<QTimer>("ConTimer"), &QTimer::timeout, this, &TFCOMM::ShowHistory);
}

void TFCOMM::ConnectLinkHandlers() {
    auto onClick = [this](const char* name, auto slot) {
        connect(&Control<QAbstractButton>(name), &QAbstractButton::clicked, this, slot);
    };
    auto onMenu = [this](const char* name, auto slot) {
        connect(&Control<QAction>(name), &QAction::triggered, this, slot);
    };
    auto onPanel = [this](const char* name, auto slot) {
        connect(&Control<ClickPanel>(name), &ClickPanel::clicked, this, slot);
    };
    onMenu("COM11", &TFCOMM::COM11Click);
    onMenu("COM21", &TFCOMM::COM21Click);
    onMenu("COM31", &TFCOMM::COM31Click);
    onMenu("COM41", &TFCOMM::COM41Click);
    for (const char* panel : {"BtCOM1", "BtCOM2", "BtCOM3", "BtCOM4"}) {
        onPanel(panel, &TFCOMM::BtCOMClick);
    }
    onClick("COMCon", &TFCOMM::COMConClick);
    onClick("USBCon", &TFCOMM::USBConClick);
    onPanel("BTCon", &TFCOMM::BTCon1Click);
    onMenu("START1", &TFCOMM::BTCon1Click);
    onPanel("BtDiscon", &TFCOMM::BtDiscon1Click);
    onMenu("STOP1", &TFCOMM::BtDiscon1Click);
    connect(&Control<QAbstractButton>("ReadBtn"), &QAbstractButton::clicked, this,
            &TFCOMM::ReadBtnClick);
    onClick("ClearBtn", &TFCOMM::ClearBtnClick);
    onClick("InfoBtn", &TFCOMM::InfoBtnClick);
    onClick("SetFeature", &TFCOMM::SetFeatureClick);
}

void TFCOMM::COM11Click() {
    connection_->COM11Click();
}

void TFCOMM::COM21Click() {
    connection_->COM21Click();
}

void TFCOMM::COM31Click() {
    connection_->COM31Click();
}

void TFCOMM::COM41Click() {
    connection_->COM41Click();
}

void TFCOMM::BtCOMClick() {
    connection_->ClickPortPanel();
}

// The buttons and menu items toggle themselves when clicked; the
// connection's state, shown afresh after each, has the last word.
void TFCOMM::COMConClick() {
    connection_->ClickCOMCon();
    ShowLinks();
}

void TFCOMM::USBConClick() {
    connection_->ClickUSBCon();
    ShowLinks();
}

void TFCOMM::BTCon1Click() {
    connection_->BTCon1Click();
    ShowLinks();
}

void TFCOMM::BtDiscon1Click() {
    connection_->BtDiscon1Click();
    ShowLinks();
}

void TFCOMM::ReadBtnClick(bool down) {
    usb_->SetReadBtnDown(down);
    usb_->ReadBtnClick();
    ShowUsbLists();
}

void TFCOMM::ClearBtnClick() {
    usb_->ClearBtnClick();
    ShowHistory();
}

void TFCOMM::InfoBtnClick() {
    dialogs_.Inform(UsbDeviceInfoText(*usb_));
}

void TFCOMM::SetFeatureClick() {
    usb_->SetFeatureClick();
    ShowLinks();
}

void TFCOMM::ShowLinks() {
    connectionView_->Show(*connection_);
    ShowUsbLists();
}

void TFCOMM::ShowUsbLists() {
    usbListsView_->Show(*usb_, session_->Traces().HistoryListBox);
}

void TFCOMM::ShowHistory() {
    usbListsView_->ShowHistory(session_->Traces().HistoryListBox);
}

}  // namespace varlo::app
