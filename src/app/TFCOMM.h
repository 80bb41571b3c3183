#pragma once

#include <QMainWindow>
#include <QRect>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/EditBinding.h"
#include "followup/MeterSession.h"

class QLineEdit;

namespace varlo {
class Dialogs;
class FileDialogs;
class LocaleSource;
class LocalClock;
class TJvHidDevice;
class TJvHidDeviceController;
}  // namespace varlo

namespace varlo::app {

// The main window FCOMM. It shows the layout of WindowLayout, owns the
// meter session, and turns every user action into one call of the layer
// that handles it. The handlers keep the names under which the window's
// controls know them.
class TFCOMM : public QMainWindow, private SessionView {
    Q_OBJECT
  public:
    TFCOMM(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
           FileDialogs& fileDialogs, QWidget* parent = nullptr);
    ~TFCOMM() override;

    MeterSession& Session() { return *session_; }

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

    // Menu "Record" and the record row.
    void RecordNewClick();
    void saveasClick();
    void SpeedButton2Click();
    void N10001Click();
    void N50001Click();
    void N100001Click();
    void N500001Click();
    void N1000001Click();
    void limitessClick();
    void TrecordTimer();

    // Chart tool bar and menu "Graphic".
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    void BtNewClick();
    void ComboBox1Change();
    void TbFdClick();

    // Handlers whose work lies in layers still being given their entry
    // points (the session's check boxes and page-size delay, the chart
    // picture and the report, the connection control). They are connected
    // once those exist; until then no control runs them.
    void btFillClick();
    void FillClick();
    void MaxrecordChange();
    void Timer2Timer();
    void BtSaveClick();
    void BtPrintClick();
    void SetmaxExit();
    void SetMinExit();
    void RecallCheckClick();
    void RecallCheckExit();
    void TimeHKeyUp();
    void COM11Click();
    void COM21Click();
    void COM31Click();
    void COM41Click();
    void COMConClick();
    void USBConClick();
    void BTCon1Click();
    void BtDiscon1Click();
    void ConTimerTimer();
    void ReadBtnClick();
    void ClearBtnClick();
    void InfoBtnClick();
    void SetFeatureClick();
    bool HidCtlEnumerate(TJvHidDevice* HidDev, std::int32_t Idx);
    void HidCtlArrival(TJvHidDevice* HidDev);
    void HidCtlRemoval(TJvHidDevice* HidDev);
    void HidCtlDeviceChange(TJvHidDeviceController* Sender);
    void HidCtlDeviceDataError(TJvHidDevice* HidDev, std::uint32_t Error);

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The widget of a control by name; a name missing from the layout is a
    // fault of the program.
    template <class T>
    T& Control(const char* name) const;

    void BuildWindow();
    void ConnectHandlers();
    void Bind(const char* name, EditBox& model);
    void ShowSessionState();
    void ShowPageNo();
    void ShowRecordLimit();
    void CentreOnScreen();

    // What the session tells the window.
    void Beep() override;
    void PageNoChanged() override;

    const LocaleSource& locale_;
    const LocalClock& clock_;
    Dialogs& dialogs_;
    FileDialogs& fileDialogs_;
    std::unique_ptr<MeterSession> session_;
    std::vector<EditBinding*> editBindings_;
    // The local edit model of the page size, until the session owns it.
    EditBox maxrecord_{"100"};
    QTimer* trecord_ = nullptr;
    QRect chartBounds_;  // the chart's bounds before it was enlarged
    bool shown_ = false;
};

}  // namespace varlo::app
