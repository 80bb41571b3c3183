#pragma once

#include <array>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QPushButton;
class QWidget;

namespace varlo {
class Connection;
class LinuxSerialPortSystem;
}  // namespace varlo

namespace varlo::app {

class ClickPanel;

// The connection controls as the connection's state has them: "COM
// Connect" and "USB Connect", the stacked port panels with their hints, the
// hidden port and Connect menus, the off-screen Connect and Disconnect
// panels, the link indicator and LCDsend on the display. Nothing here
// decides a state; it only shows one.
class ConnectionView {
  public:
    // Finds its widgets among the window's children by name; the port
    // panels' hints name what `ports` makes of "COM1" to "COM4".
    ConnectionView(QWidget& window, const LinuxSerialPortSystem& ports);

    // After every change notice of the connection.
    void Show(const Connection& connection);
    // Asks the system afresh which device each port is, for the panels'
    // hints.
    void ShowPortHints();

  private:
    const LinuxSerialPortSystem& ports_;
    QPushButton& comCon_;
    QPushButton& usbCon_;
    std::array<ClickPanel*, 4> portPanels_{};
    std::array<QAction*, 4> portItems_{};
    QMenu& comSetup_;
    QAction& start_;
    QAction& stop_;
    QWidget& btCon_;
    QWidget& btDiscon_;
    QWidget& conOk_;
    QWidget& conOkN_;
    QWidget& lcdSend_;
    int portShown_ = -1;  // the chosen port the hints were last asked for
};

// A port panel's hint: the device `port` ("COM1") stands for, whether it is
// there, or that there is none.
std::string PortPanelHint(const std::string& port, const std::optional<std::string>& device);

}  // namespace varlo::app
