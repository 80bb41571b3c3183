#include "LinkState.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QWidget>
#include <stdexcept>

namespace varlo::load {

const char* const kSerialState =
    "COMCon down | USBCon hidden | panels #--- | COM1 locked | START checked off | STOP on | "
    "BtDiscon";
const char* const kIdleAfterSerialState =
    "COMCon up | USBCon up USB Connect | panels 1--- | COM1 | START on | STOP checked off | BTCon";
const char* const kUsbState =
    "COMCon hidden | USBCon down USB Disconnect | panels ---- | COM1 | START on | STOP off | "
    "BTCon";
const char* const kIdleAfterUsbState =
    "COMCon up | USBCon up USB Connection | panels 1234 | COM1 | START on | STOP off | BTCon";

namespace {

template <class T = QWidget>
const T& Find(const QWidget& window, const QString& name) {
    const T* found = window.findChild<T*>(name);
    if (found == nullptr) throw std::logic_error("no control " + name.toStdString());
    return *found;
}

}  // namespace

std::string LinkSummary(const QWidget& window) {
    auto button = [&](const char* name) {
        const auto& b = Find<QAbstractButton>(window, name);
        if (b.isHidden()) return QStringLiteral("hidden");
        return QString(b.isChecked() ? "down" : "up");
    };
    QString s = "COMCon " + button("COMCon") + " | USBCon " + button("USBCon");
    if (!Find(window, "USBCon").isHidden())
        s += " " + Find<QAbstractButton>(window, "USBCon").text();
    s += " | panels ";
    for (int i = 1; i <= 4; ++i) {
        const QWidget& panel = Find(window, QStringLiteral("BtCOM%1").arg(i));
        s += panel.isHidden()    ? QStringLiteral("-")
             : panel.isEnabled() ? QString::number(i)
                                 : QStringLiteral("#");
    }
    s += " |";
    for (int i = 1; i <= 4; ++i) {
        if (Find<QAction>(window, QStringLiteral("COM%1").arg(i) + "1").isChecked()) {
            s += QStringLiteral(" COM%1").arg(i);
        }
    }
    if (!Find<QMenu>(window, "ComSetup1").isEnabled()) s += " locked";
    for (const char* item : {"START1", "STOP1"}) {
        const auto& action = Find<QAction>(window, item);
        s += QStringLiteral(" | %1 %2%3")
                 .arg(QString(item).chopped(1), action.isChecked() ? "checked " : "",
                      action.isEnabled() ? "on" : "off");
    }
    s += Find(window, "BTCon").isHidden() ? "" : " | BTCon";
    s += Find(window, "BtDiscon").isHidden() ? "" : " | BtDiscon";
    return s.toStdString();
}

std::string AfterSerialClosed(std::string usbState) {
    const std::string stop = " | STOP off";
    const std::size_t at = usbState.find(stop);
    if (at != std::string::npos) usbState.replace(at, stop.size(), " | STOP checked off");
    return usbState;
}

std::string Indicator(const QWidget& window) {
    const bool ok = !Find(window, "CONok").isHidden();
    const bool notOk = !Find(window, "CONokN").isHidden();
    if (ok && !notOk) return "lit";
    if (!ok && notOk) return "dark";
    return std::string("CONok ") + (ok ? "shown" : "hidden") + ", CONokN " +
           (notOk ? "shown" : "hidden");
}

}  // namespace varlo::load
