#include "LiveLink.h"

#include <cstdio>
#include <utility>

namespace varlo::cli {

LiveLink::LiveLink(FrameAssembler& assembler, LinkIndicator& indicator, LcdPanel& panel,
                   UsbDeviceList::ReportHandler hidKestoData, std::shared_ptr<HidBackend> backend)
    : usb_(dialogs_, traces_.HistoryListBox) {
    auto poll = std::make_unique<ManualTimer>();
    pollTimer_ = poll.get();
    COMM2_ = std::make_unique<TCommPortDriver>(ports_, std::move(poll));
    ConfigureAsCOMM2(*COMM2_);
    if (backend) {
        controller_ = std::make_unique<TJvHidDeviceController>(std::move(backend));
        usb_.Attach(*controller_);
    }
    connection_ =
        std::make_unique<Connection>(*COMM2_, usb_, assembler, indicator, panel, dialogs_,
                                     std::make_unique<ManualTimer>(), std::move(hidKestoData));
}

LiveLink::~LiveLink() {
    // The connection first, then the list (which checks its devices in) while
    // the controller still lives.
    connection_.reset();
}

void PrintDeviceDisconnected(const char* command, const std::string& device) {
    std::fprintf(stderr, "varlo-cli %s: %s: device disconnected\n", command, device.c_str());
}

}  // namespace varlo::cli
