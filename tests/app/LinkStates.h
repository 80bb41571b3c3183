#pragma once

// The connection controls as the window shows them, in one line, and the
// window's link states in that form; an environment variable for the time of
// a test.

#include <QAbstractButton>
#include <QAction>
#include <QByteArray>
#include <QMenu>
#include <QString>

#include "WindowFixture.h"

namespace varlo::app::testing {

// "COMCon up | USBCon up USB Connect | panels 1--- | COM1 | START on | STOP
// off | BTCon": each connect button hidden, up or down (USBCon with its
// caption); each port panel shown and enabled (its number), shown and
// disabled (#) or hidden (-); the port checked in the menu ("locked" while
// the menu is disabled); START and STOP checked or not, enabled (on) or not;
// which of BTCon and BtDiscon shows; LCDsend when it shows.
inline QString LinkSummary(const WindowFixture& f) {
    auto button = [&](const char* name) {
        const auto& b = f.Get<QAbstractButton>(name);
        if (b.isHidden()) return QStringLiteral("hidden");
        return QString(b.isChecked() ? "down" : "up");
    };
    QString s = "COMCon " + button("COMCon") + " | USBCon " + button("USBCon");
    if (!f.Get("USBCon").isHidden()) s += " " + f.Get<QAbstractButton>("USBCon").text();
    s += " | panels ";
    for (int i = 1; i <= 4; ++i) {
        const QWidget& panel = f.Get(QStringLiteral("BtCOM%1").arg(i).toUtf8().constData());
        s += panel.isHidden()    ? QStringLiteral("-")
             : panel.isEnabled() ? QString::number(i)
                                 : QStringLiteral("#");
    }
    s += " |";
    for (int i = 1; i <= 4; ++i) {
        if (f.Get<QAction>((QStringLiteral("COM%1").arg(i) + "1").toUtf8().constData())
                .isChecked()) {
            s += QStringLiteral(" COM%1").arg(i);
        }
    }
    if (!f.Get<QMenu>("ComSetup1").isEnabled()) s += " locked";
    for (const char* item : {"START1", "STOP1"}) {
        const auto& action = f.Get<QAction>(item);
        s += QStringLiteral(" | %1 %2%3")
                 .arg(QString(item).chopped(1), action.isChecked() ? "checked " : "",
                      action.isEnabled() ? "on" : "off");
    }
    s += f.Get("BTCon").isHidden() ? "" : " | BTCon";
    s += f.Get("BtDiscon").isHidden() ? "" : " | BtDiscon";
    s += f.Get("LCDsend").isHidden() ? "" : " | LCDsend";
    return s;
}

inline const QString kIdleStart =
    "COMCon up | USBCon up USB Connect | panels 1--- | COM1 | START on | STOP off | BTCon";
inline const QString kSerial =
    "COMCon down | USBCon hidden | panels #--- | COM1 locked | START checked off | STOP on | "
    "BtDiscon";
inline const QString kIdleAfterSerial =
    "COMCon up | USBCon up USB Connect | panels 1--- | COM1 | START on | STOP checked off | BTCon";
inline const QString kUsb =
    "COMCon hidden | USBCon down USB Disconnect | panels ---- | COM1 | START on | STOP off | "
    "BTCon | LCDsend";
inline const QString kIdleAfterUsb =
    "COMCon up | USBCon up USB Connection | panels 1234 | COM1 | START on | STOP off | BTCon";

// Sets an environment variable until the end of the scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace varlo::app::testing
