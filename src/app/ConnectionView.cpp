#include "app/ConnectionView.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <stdexcept>

#include "app/Controls.h"
#include "links/Connection.h"
#include "platform/LinuxSerialPort.h"

namespace varlo::app {

namespace {

template <class T>
T& Find(QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr) throw std::logic_error("no control " + name.toStdString());
    return *found;
}

void SetShown(QWidget& widget, bool shown) {
    if (widget.isHidden() == shown) widget.setVisible(shown);
}

void SetEnabled(QWidget& widget, bool enabled) {
    if (widget.isEnabled() != enabled) widget.setEnabled(enabled);
}

void SetChecked(QPushButton& button, bool checked) {
    if (button.isChecked() != checked) button.setChecked(checked);
}

void SetItem(QAction& item, bool checked, bool enabled) {
    if (item.isChecked() != checked) item.setChecked(checked);
    if (item.isEnabled() != enabled) item.setEnabled(enabled);
}

// The port the menu's check mark names, -1 when none.
int ChosenPort(const ConnectionControls& controls) {
    for (std::size_t i = 0; i < controls.COMChecked.size(); ++i) {
        if (controls.COMChecked[i]) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

std::string PortPanelHint(const std::string& port, const std::optional<std::string>& device) {
    if (!device) return port + ": no serial device is present";
    if (!QFileInfo::exists(QString::fromStdString(*device))) {
        return port + ": " + *device + " is not present";
    }
    return port + ": " + *device;
}

ConnectionView::ConnectionView(QWidget& window, const LinuxSerialPortSystem& ports)
    : ports_(ports),
      comCon_(Find<QPushButton>(window, QStringLiteral("COMCon"))),
      usbCon_(Find<QPushButton>(window, QStringLiteral("USBCon"))),
      comSetup_(Find<QMenu>(window, QStringLiteral("ComSetup1"))),
      start_(Find<QAction>(window, QStringLiteral("START1"))),
      stop_(Find<QAction>(window, QStringLiteral("STOP1"))),
      btCon_(Find<QWidget>(window, QStringLiteral("BTCon"))),
      btDiscon_(Find<QWidget>(window, QStringLiteral("BtDiscon"))),
      conOk_(Find<QWidget>(window, QStringLiteral("CONok"))),
      conOkN_(Find<QWidget>(window, QStringLiteral("CONokN"))),
      lcdSend_(Find<QWidget>(window, QStringLiteral("LCDsend"))) {
    for (std::size_t i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        portPanels_[i] = &Find<ClickPanel>(window, QStringLiteral("BtCOM") + n);
        portItems_[i] = &Find<QAction>(window, QStringLiteral("COM") + n + QStringLiteral("1"));
    }
}

void ConnectionView::Show(const Connection& connection) {
    const ConnectionControls& c = connection.Controls();
    SetChecked(comCon_, c.COMConDown);
    SetShown(comCon_, c.COMConVisible);
    SetChecked(usbCon_, c.USBConDown);
    SetShown(usbCon_, c.USBConVisible);
    const QString caption = QString::fromStdString(c.USBConCaption);
    if (usbCon_.text() != caption) usbCon_.setText(caption);
    for (std::size_t i = 0; i < 4; ++i) {
        SetShown(*portPanels_[i], c.BtCOMVisible[i]);
        SetEnabled(*portPanels_[i], c.BtCOMEnabled[i]);
        SetItem(*portItems_[i], c.COMChecked[i], portItems_[i]->isEnabled());
    }
    if (comSetup_.isEnabled() != c.ComSetup1Enabled) comSetup_.setEnabled(c.ComSetup1Enabled);
    SetItem(start_, c.START1Checked, c.START1Enabled);
    SetItem(stop_, c.STOP1Checked, c.STOP1Enabled);
    SetShown(btCon_, c.BTConVisible);
    SetShown(btDiscon_, c.BtDisconVisible);
    SetShown(conOk_, connection.Link().CONokVisible);
    SetShown(conOkN_, connection.Link().CONokNVisible);
    SetShown(lcdSend_, connection.LCDsendVisible());
    if (ChosenPort(c) != portShown_) ShowPortHints();
    portShown_ = ChosenPort(c);
}

void ConnectionView::ShowPortHints() {
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string port = "COM" + std::to_string(i + 1);
        portPanels_[i]->setToolTip(
            QString::fromStdString(PortPanelHint(port, ports_.Resolve(port))));
    }
}

}  // namespace varlo::app
