#pragma once

#include <cstdint>
#include <functional>

class QAbstractButton;
class QListWidget;
class QWidget;

namespace varlo {
class LineSink;
class UsbDeviceList;
}  // namespace varlo

namespace varlo::app {

// The off-screen controls of the USB device list: DevListBox shows the
// list's lines and its selection, HistoryListBox the history of USB events
// (the newest 1000 lines, the newest selected), ReadBtn the Read toggle. A
// line the user selects in DevListBox is handed to `onSelect`.
class UsbListsView {
  public:
    UsbListsView(QWidget& window, std::function<void(int row)> onSelect);

    void Show(UsbDeviceList& usb, const LineSink& history);
    // Adds what the history gained since it was last shown and drops what it
    // no longer keeps; cheap when nothing changed.
    void ShowHistory(const LineSink& history);

  private:
    QListWidget& devices_;
    QListWidget& history_;
    QAbstractButton& readBtn_;
    std::uint64_t historyShown_ = 0;  // lines ever added, as last shown
};

}  // namespace varlo::app
