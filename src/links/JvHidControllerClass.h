#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/VarloError.h"
#include "links/JvHidHandOver.h"
#include "links/JvHidMethod.h"
#include "platform/HidBackend.h"

namespace varlo {

class TJvHidDevice;
class TJvHidDeviceController;

using TJvHidEnumerateEvent = TJvMethod<bool(TJvHidDevice* HidDev, std::int32_t Idx)>;
using TJvHidPlugEvent = TJvMethod<void(TJvHidDevice* HidDev)>;
using TJvHidDataEvent = TJvMethod<void(TJvHidDevice* HidDev, std::uint8_t ReportID,
                                       const std::uint8_t* Data, std::uint16_t Size)>;
using TJvHidDataErrorEvent = TJvMethod<void(TJvHidDevice* HidDev, std::uint32_t Error)>;
using TJvHidNotifyEvent = TJvMethod<void(TJvHidDeviceController* Sender)>;

class EControllerError : public VarloError {
  public:
    using VarloError::VarloError;
};

inline constexpr const char* kOnlyOneControllerText =
    "Only one TJvHidDeviceController allowed per program";
inline constexpr const char* kDeviceCannotBeOpenedText = "device cannot be opened";
inline constexpr const char* kDeviceCannotBeIdentifiedText = "device cannot be identified";

// Identity and path of one HID interface.
struct TJvHidPnPInfo {
    std::uint32_t DeviceInstance = 0;
    std::string DevicePath;
};

struct THIDDAttributes {
    std::uint32_t Size = 0;
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// The capability record; report lengths count the report-ID byte.
struct THIDPCaps {
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
};

// The reader of one device: issues reads and hands each report to the GUI
// thread, waiting until the device's OnData has run.
class TJvHidDeviceReadThread {
  public:
    explicit TJvHidDeviceReadThread(TJvHidDevice* device);
    ~TJvHidDeviceReadThread();
    void Start();
    void Terminate();
    bool Terminated() const { return stop_; }
    bool Finished() const { return finished_; }
    void Join();

  private:
    void Execute();
    void DeliverReport();
    void DeliverError();
    bool HandOver(void (TJvHidDeviceReadThread::*delivery)());
    void PauseAfterError();

    TJvHidDevice* device_;
    std::vector<std::uint8_t> report_;
    std::size_t numBytesRead_ = 0;
    std::uint32_t errorCode_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// One HID interface. Only the controller creates devices; the application
// returns a checked-out device by checking it in.
class TJvHidDevice {
  public:
    // Check-in: stops the device's reader, closes it and frees the object.
    // A device still present leaves a fresh, not checked-out object in its
    // place in the controller's list. One that cannot be opened again leaves
    // the list instead, and EControllerError ("device cannot be opened" or
    // "device cannot be identified") is thrown once the object is freed.
    static void CheckIn(TJvHidDevice* device);
    // Destroying the object checks it in too, but never throws: a device
    // that cannot be opened again just leaves the list.
    ~TJvHidDevice();
    TJvHidDevice(const TJvHidDevice&) = delete;
    TJvHidDevice& operator=(const TJvHidDevice&) = delete;

    bool PluggedIn() const { return pluggedIn_; }
    bool CheckedOut() const { return checkedOut_; }
    bool InEnumeration() const { return inEnumeration_; }
    bool ReadWriteAccess() const { return readWriteAccess_; }
    bool Accessible() const { return pluggedIn_ && (checkedOut_ || inEnumeration_); }
    const THIDDAttributes& Attributes() const { return attributes_; }
    std::uint16_t VendorID() const { return attributes_.VendorID; }
    std::uint16_t ProductID() const { return attributes_.ProductID; }
    std::uint16_t VersionNumber() const { return attributes_.VersionNumber; }
    const TJvHidPnPInfo& PnPInfo() const { return *pnpInfo_; }
    TJvHidDeviceController* Controller() const { return controller_; }

    std::u16string ProductString();
    std::u16string SerialString();
    THIDPCaps Capabilities();
    bool SendFeatureReport(const std::uint8_t* buffer, std::size_t length);
    void MarkUnplugged();

    std::int32_t ThreadSleepTime() const { return threadSleepTime_; }
    void SetThreadSleepTime(std::int32_t milliseconds);

    const TJvHidDataEvent& OnData() const { return onData_; }
    void SetOnData(TJvHidDataEvent handler);
    const TJvHidDataErrorEvent& OnDataError() const { return onDataError_; }
    void SetOnDataError(TJvHidDataErrorEvent handler) { onDataError_ = std::move(handler); }
    const TJvHidPlugEvent& OnUnplug() const { return onUnplug_; }
    void SetOnUnplug(TJvHidPlugEvent handler) { onUnplug_ = std::move(handler); }

    // The reader, while one exists (it may have finished after a handler threw).
    const TJvHidDeviceReadThread* Reader() const { return reader_.get(); }

  private:
    friend class TJvHidDeviceController;
    friend class TJvHidDeviceReadThread;

    TJvHidDevice(std::unique_ptr<TJvHidPnPInfo> pnpInfo, TJvHidDeviceController* controller);
    void Construct();
    bool OpenSyncHandle();
    void CloseSyncHandle();
    std::shared_ptr<HidHandle> OpenReadHandle(std::uint32_t& error);
    void CloseReadHandle();
    bool ObtainPreparsedData();
    void StartReading();
    void StopReading();
    // The check-in steps, once; the failure of re-creating the device.
    std::exception_ptr ReturnToController() noexcept;

    TJvHidDeviceController* controller_;
    std::shared_ptr<HidBackend> backend_;
    std::shared_ptr<HidHandOver> handOver_;
    std::atomic<bool> pluggedIn_{true};
    std::atomic<bool> checkedOut_{false};
    std::atomic<bool> inEnumeration_{false};
    std::unique_ptr<HidHandle> syncHandle_;
    std::mutex readMutex_;
    std::shared_ptr<HidHandle> readHandle_;
    THIDDAttributes attributes_;
    std::unique_ptr<TJvHidPnPInfo> pnpInfo_;
    std::u16string productString_;
    std::optional<HidReportLengths> preparsedData_;
    std::u16string serialString_;
    std::atomic<std::int32_t> threadSleepTime_{100};
    TJvHidDataEvent onData_;
    TJvHidDataErrorEvent onDataError_;
    TJvHidPlugEvent onUnplug_;
    bool readWriteAccess_ = false;
    std::unique_ptr<TJvHidDeviceReadThread> reader_;
    bool returned_ = false;
};

// Lists the HID interfaces, follows plugging and unplugging and lends device
// objects out. One per program; everything runs on the GUI thread.
class TJvHidDeviceController {
  public:
    // Without a backend the controller works but lists nothing.
    explicit TJvHidDeviceController(std::shared_ptr<HidBackend> backend);
    ~TJvHidDeviceController();
    TJvHidDeviceController(const TJvHidDeviceController&) = delete;
    TJvHidDeviceController& operator=(const TJvHidDeviceController&) = delete;

    bool Bound() const { return backend_ != nullptr; }
    std::int32_t Enumerate();
    bool CheckOutAt(std::int32_t Index, TJvHidDevice*& HidDev);
    void DeviceChange();
    bool ChangeReported() const { return changeReported_; }
    std::int32_t Count() const { return static_cast<std::int32_t>(list_.size()); }

    const TJvHidPlugEvent& OnArrival() const { return onArrival_; }
    void SetOnArrival(TJvHidPlugEvent handler) { onArrival_ = std::move(handler); }
    const TJvHidNotifyEvent& OnDeviceChange() const { return onDeviceChange_; }
    void SetOnDeviceChange(TJvHidNotifyEvent handler);
    const TJvHidEnumerateEvent& OnEnumerate() const { return onEnumerate_; }
    void SetOnEnumerate(TJvHidEnumerateEvent handler) { onEnumerate_ = std::move(handler); }
    const TJvHidDataEvent& OnDeviceData() const { return onDeviceData_; }
    void SetOnDeviceData(TJvHidDataEvent handler);
    const TJvHidDataErrorEvent& OnDeviceDataError() const { return onDeviceDataError_; }
    void SetOnDeviceDataError(TJvHidDataErrorEvent handler);
    const TJvHidPlugEvent& OnDeviceUnplug() const { return onDeviceUnplug_; }
    void SetOnDeviceUnplug(TJvHidPlugEvent handler);
    const TJvHidPlugEvent& OnRemoval() const { return onRemoval_; }
    void SetOnRemoval(TJvHidPlugEvent handler) { onRemoval_ = std::move(handler); }
    std::int32_t DevThreadSleepTime() const { return devThreadSleepTime_; }
    void SetDevThreadSleepTime(std::int32_t milliseconds);

    HidBackend* Backend() const { return backend_.get(); }
    const std::shared_ptr<HidHandOver>& HandOver() const { return handOver_; }

  private:
    friend class TJvHidDevice;
    std::vector<TJvHidDevice*> BuildDeviceList();
    static void Discard(TJvHidDevice* device);

    std::shared_ptr<HidBackend> backend_;
    std::shared_ptr<HidHandOver> handOver_;
    TJvHidPlugEvent onArrival_;
    TJvHidNotifyEvent onDeviceChange_;
    TJvHidEnumerateEvent onEnumerate_;
    TJvHidDataEvent onDeviceData_;
    TJvHidDataErrorEvent onDeviceDataError_;
    TJvHidPlugEvent onDeviceUnplug_;
    TJvHidPlugEvent onRemoval_;
    bool changeReported_ = false;
    std::int32_t devThreadSleepTime_ = 100;
    std::vector<TJvHidDevice*> list_;
};

}  // namespace varlo
