#include "app/UsbListsView.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QSignalBlocker>
#include <stdexcept>

#include "decode/TraceSinks.h"
#include "links/UsbDeviceList.h"

namespace varlo::app {

namespace {

template <class T>
T& Find(QWidget& window, const char* name) {
    auto* found = window.findChild<T*>(QLatin1String(name));
    if (found == nullptr) throw std::logic_error(std::string("no control ") + name);
    return *found;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

UsbListsView::UsbListsView(QWidget& window, std::function<void(int row)> onSelect)
    : devices_(Find<QListWidget>(window, "DevListBox")),
      history_(Find<QListWidget>(window, "HistoryListBox")),
      readBtn_(Find<QAbstractButton>(window, "ReadBtn")) {
    QObject::connect(&devices_, &QListWidget::currentRowChanged, &devices_,
                     [onSelect = std::move(onSelect)](int row) {
                         if (onSelect) onSelect(row);
                     });
}

void UsbListsView::Show(UsbDeviceList& usb, const LineSink& history) {
    const auto& devices = usb.DevListBox();
    // The view's own changes are not the user's choice.
    const QSignalBlocker block(devices_);
    QStringList lines;
    for (const std::string& line : devices.Lines()) lines << Text(line);
    bool same = devices_.count() == lines.size();
    for (int i = 0; same && i < lines.size(); ++i) same = devices_.item(i)->text() == lines[i];
    if (!same) {
        devices_.clear();
        devices_.addItems(lines);
    }
    devices_.setCurrentRow(devices.Selected());
    if (readBtn_.isChecked() != usb.ReadBtnDown()) readBtn_.setChecked(usb.ReadBtnDown());
    ShowHistory(history);
}

void UsbListsView::ShowHistory(const LineSink& history) {
    const std::uint64_t added = history.TotalAdded() - historyShown_;
    const auto kept = static_cast<int>(history.LineCount());
    if (added == 0 && history_.count() == kept) return;
    if (added <= history.LineCount()) {
        // The kept lines end with the ones added since; those before them
        // are the last of the lines shown (or none, after a clear).
        for (std::size_t i = history.LineCount() - added; i < history.LineCount(); ++i) {
            history_.addItem(Text(history.Line(i)));
        }
        while (history_.count() > kept) delete history_.takeItem(0);
    } else {
        history_.clear();
        for (std::size_t i = 0; i < history.LineCount(); ++i) {
            history_.addItem(Text(history.Line(i)));
        }
    }
    historyShown_ = history.TotalAdded();
    history_.setCurrentRow(static_cast<int>(history.SelectedIndex()));
}

}  // namespace varlo::app
