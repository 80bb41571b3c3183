#pragma once

#include <QMainWindow>
#include <QRect>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/EditBinding.h"
#include "app/FileJobRunner.h"
#include "followup/MeterSession.h"

class QLineEdit;

namespace varlo {
class AlarmBeep;
class Connection;
class Dialogs;
class FileDialogs;
class HidBackend;
class LinuxSerialPortSystem;
class LocaleSource;
class LocalClock;
class TCommPortDriver;
class TJvHidDeviceController;
class UsbDeviceList;
}  // namespace varlo

namespace varlo::app {

class ConnectionView;
class FrameView;
class UsbListsView;

// The main window FCOMM. It shows the layout of WindowLayout, owns the
// meter session, and turns every user action into one call of the layer
// that handles it; what the session tells it after the fact, it shows. The
// handlers keep the names under which the window's controls know them.
class TFCOMM : public QMainWindow, private SessionView {
    Q_OBJECT
  public:
    // The USB link goes through the machine's HID devices, or through the
    // scripted ones that VARLO_HID_FAKE names.
    TFCOMM(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
           FileDialogs& fileDialogs, QWidget* parent = nullptr);
    // The USB link goes through `hid` (none: no HID devices at all).
    TFCOMM(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
           FileDialogs& fileDialogs, std::shared_ptr<HidBackend> hid, QWidget* parent = nullptr);
    ~TFCOMM() override;

    MeterSession& Session() { return *session_; }
    const MeterSession& Session() const { return *session_; }
    // The links: the serial ports "COM1" to "COM4" stand for, the
    // connection's state, and the USB device list.
    LinuxSerialPortSystem& Ports() { return *ports_; }
    const Connection& Links() const { return *connection_; }
    UsbDeviceList& Usb() { return *usb_; }

    // The window's outer size as the layout reckons it: the client area
    // inside a single-border frame with caption and menu bar (3-pixel
    // borders, 19-pixel caption and menu bar). Reckoned, not asked of the
    // window manager, so that positions taken from it do not move with the
    // desktop's decorations.
    static QSize OuterSize();

    // Start-up and the window's life.
    void FormCreate();
    void FormResize();
    void BitBtn1Click();  // "Quit", after a question
    void BtExit1Click();  // "Exit", without one

    // Menu "Record" and the record row: the dialogs' side of the files.
    void saveasClick();
    void SpeedButton2Click();
    void BtPrintClick();

    // Chart tool bar.
    void TbFdClick();
    void BtSaveClick();

    // The recall clock's edits.
    void TimeHKeyUp();
    void RecallCheckExit();

    // The connection's controls. A click on a two-state button has toggled
    // it before its handler runs.
    void COM11Click();
    void COM21Click();
    void COM31Click();
    void COM41Click();
    void BtCOMClick();  // whichever of the stacked port panels is seen
    void COMConClick();
    void USBConClick();
    void BTCon1Click();
    void BtDiscon1Click();
    // The USB device list's off-screen buttons.
    void ReadBtnClick(bool down);
    void ClearBtnClick();
    void InfoBtnClick();
    void SetFeatureClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The widget of a control by name; a name missing from the layout is a
    // fault of the program.
    template <class T>
    T& Control(const char* name) const;

    void BuildWindow();
    void BindEdits();
    void BuildLinks();
    void ConnectHandlers();
    void ConnectLinkHandlers();
    EditBinding& Bind(const char* name, SessionEdit edit);
    void ShowControls();
    void CentreOnScreen();
    // The connection's controls and the USB lists, as they stand.
    void ShowLinks();
    void ShowUsbLists();
    // A USB report has reached the frame assembler.
    void ShowHistory();

    // What the session tells the window.
    void FrameDecoded() override;
    void ControlsChanged() override;
    void Beep() override;
    void PageNoChanged() override;
    void ChartRenewed() override;
    void SeriesShown(int index) override;

    const LocaleSource& locale_;
    const LocalClock& clock_;
    Dialogs& dialogs_;
    FileDialogs& fileDialogs_;
    // Saves and opens run in steps under a progress dialog.
    FileJobRunner fileJobs_{this};
    std::unique_ptr<MeterSession> session_;
    std::unique_ptr<AlarmBeep> alarm_;
    std::unique_ptr<FrameView> frameView_;
    // The links, each over the ones before it.
    std::unique_ptr<LinuxSerialPortSystem> ports_;
    std::unique_ptr<TCommPortDriver> COMM2_;
    std::unique_ptr<TJvHidDeviceController> HidCtl_;
    std::unique_ptr<UsbDeviceList> usb_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<ConnectionView> connectionView_;
    std::unique_ptr<UsbListsView> usbListsView_;
    std::vector<EditBinding*> editBindings_;
    EditBinding* t1hi_ = nullptr;
    EditBinding* t1lo_ = nullptr;
    QTimer* trecord_ = nullptr;
    QRect chartBounds_;  // the chart's bounds before it was enlarged
    bool shown_ = false;
};

template <class T>
T& TFCOMM::Control(const char* name) const {
    T* widget = findChild<T*>(QLatin1String(name));
    if (widget == nullptr) throw std::logic_error(std::string("no control ") + name);
    return *widget;
}

}  // namespace varlo::app
