// The reader thread of one HID device.
#include <algorithm>
#include <cerrno>
#include <chrono>

#include "links/JvHidControllerClass.h"

namespace varlo {

TJvHidDeviceReadThread::TJvHidDeviceReadThread(TJvHidDevice* device)
    : device_(device), report_(device->Capabilities().InputReportByteLength, 0) {}

TJvHidDeviceReadThread::~TJvHidDeviceReadThread() {
    Terminate();
    Join();
}

void TJvHidDeviceReadThread::Start() {
    thread_ = std::thread([this] { Execute(); });
}

void TJvHidDeviceReadThread::Terminate() {
    stop_ = true;
}

void TJvHidDeviceReadThread::Join() {
    if (thread_.joinable()) thread_.join();
}

void TJvHidDeviceReadThread::Execute() {
    const std::size_t length = report_.size();
    while (!stop_) {
        std::fill(report_.begin(), report_.end(), 0);
        std::uint32_t openError = 0;
        std::shared_ptr<HidHandle> handle = device_->OpenReadHandle(openError);
        if (!handle || length == 0) {
            // The read cannot be issued: report it, then try again after a
            // pause, so that a device that has gone does not keep the GUI
            // thread busy with errors.
            errorCode_ = handle ? static_cast<std::uint32_t>(EINVAL) : openError;
            if (!HandOver(&TJvHidDeviceReadThread::DeliverError)) break;
            PauseAfterError();
            continue;
        }
        const HidReadResult result =
            handle->ReadReport(report_.data(), length, device_->threadSleepTime_);
        handle.reset();
        if (stop_) break;
        if (result.kind == HidReadResult::Kind::Timeout) continue;
        if (result.kind == HidReadResult::Kind::Error) {
            errorCode_ = result.error;
            if (!HandOver(&TJvHidDeviceReadThread::DeliverError)) break;
            PauseAfterError();
            continue;
        }
        numBytesRead_ = result.size;
        if (numBytesRead_ > 0 && !HandOver(&TJvHidDeviceReadThread::DeliverReport)) break;
    }
    finished_ = true;
    device_->handOver_->Wake();
}

bool TJvHidDeviceReadThread::HandOver(void (TJvHidDeviceReadThread::*delivery)()) {
    (this->*delivery)();
    return !stop_;
}

void TJvHidDeviceReadThread::DeliverReport() {
    // The GUI thread gets its own copy of the report: a handler that stops
    // this reader may go on reading its data after the reader has gone.
    std::vector<std::uint8_t> bytes(report_.begin(), report_.begin() + numBytesRead_);
    TJvHidDevice* device = device_;
    const auto outcome = device_->handOver_->Run(
        [device, bytes = std::move(bytes)] {
            TJvHidDataEvent handler = device->onData_;
            if (!handler) return;
            handler(device, bytes[0], bytes.data() + 1,
                    static_cast<std::uint16_t>(bytes.size() - 1));
        },
        stop_);
    if (outcome != HidHandOver::Outcome::Ran) stop_ = true;
}

void TJvHidDeviceReadThread::DeliverError() {
    TJvHidDevice* device = device_;
    const std::uint32_t code = errorCode_;
    const auto outcome = device_->handOver_->Run(
        [device, code] {
            TJvHidDataErrorEvent handler = device->onDataError_;
            if (handler) handler(device, code);
        },
        stop_);
    if (outcome != HidHandOver::Outcome::Ran) stop_ = true;
}

void TJvHidDeviceReadThread::PauseAfterError() {
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(device_->threadSleepTime_.load());
    while (!stop_ && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace varlo
