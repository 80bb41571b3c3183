#pragma once

#include <memory>
#include <string>

#include "CliSupport.h"
#include "common/Timer.h"
#include "decode/FrameAssembler.h"
#include "decode/MeterDecoder.h"
#include "decode/TraceSinks.h"
#include "links/ComDrv32.h"
#include "links/Connection.h"
#include "links/JvHidControllerClass.h"
#include "links/UsbDeviceList.h"
#include "platform/LinuxSerialPort.h"

namespace varlo::cli {

// The window's messages during a live run: the tool says what went wrong in
// its own line, so the notices are kept back; failures are printed as the
// window would show them.
class LiveDialogs : public StderrDialogs {
  public:
    void Inform(const std::string&) override {}
};

// The window's links without the window: COMM2 (polled by hand), the USB
// device list (over the HID backend, when one is given) and the connection
// that drives both, as the window's controls do. Its watchdog never ticks:
// the tool has quiet-time warnings of its own.
class LiveLink {
  public:
    // `hidKestoData` is what USB Connect attaches to the cable.
    LiveLink(FrameAssembler& assembler, LinkIndicator& indicator, LcdPanel& panel,
             UsbDeviceList::ReportHandler hidKestoData,
             std::shared_ptr<HidBackend> backend = nullptr);
    ~LiveLink();
    LiveLink(const LiveLink&) = delete;
    LiveLink& operator=(const LiveLink&) = delete;

    TCommPortDriver& COMM2() { return *COMM2_; }
    UsbDeviceList& Usb() { return usb_; }
    Connection& Link() { return *connection_; }
    // One poll of the open serial port.
    void Poll() { pollTimer_->tick(); }

  private:
    LiveDialogs dialogs_;
    TraceSinks traces_;
    LinuxSerialPortSystem ports_;
    ManualTimer* pollTimer_ = nullptr;
    std::unique_ptr<TCommPortDriver> COMM2_;
    std::unique_ptr<TJvHidDeviceController> controller_;
    UsbDeviceList usb_;
    std::unique_ptr<Connection> connection_;
};

// "DEVICE: device disconnected", the line a run ends with when its device
// goes away.
void PrintDeviceDisconnected(const char* command, const std::string& device);

}  // namespace varlo::cli
