#include "links/JvHidControllerClass.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>

namespace varlo {
namespace {

// Controllers alive in this process; only one is allowed.
int gControllerCount = 0;

constexpr std::size_t kMaxStringLength = 254;

std::u16string UpToZero(const std::u16string& text) {
    std::u16string result = text.substr(0, std::min(text.size(), kMaxStringLength));
    const auto zero = result.find(u'\0');
    if (zero != std::u16string::npos) result.resize(zero);
    return result;
}

// Runs a handler flag-guarded: InEnumeration holds for the call only.
template <class F>
void WhileInEnumeration(std::atomic<bool>& flag, F&& call) {
    flag = true;
    try {
        call();
    } catch (...) {
        flag = false;
        throw;
    }
    flag = false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Device

TJvHidDevice::TJvHidDevice(std::unique_ptr<TJvHidPnPInfo> pnpInfo,
                           TJvHidDeviceController* controller)
    : controller_(controller),
      backend_(controller->backend_),
      handOver_(controller->handOver_),
      pnpInfo_(std::move(pnpInfo)) {
    SetOnData(controller->onDeviceData_);
    onDataError_ = controller->onDeviceDataError_;
    onUnplug_ = controller->onDeviceUnplug_;
    Construct();
}

void TJvHidDevice::Construct() {
    HidOpenResult opened = backend_->Open(pnpInfo_->DevicePath, HidAccess::ReadWrite);
    readWriteAccess_ = opened.handle != nullptr;
    if (!opened.handle) opened = backend_->Open(pnpInfo_->DevicePath, HidAccess::Query);
    if (!opened.handle) throw EControllerError(kDeviceCannotBeOpenedText);
    syncHandle_ = std::move(opened.handle);
    const auto identity = syncHandle_->Identity();
    if (!identity) throw EControllerError(kDeviceCannotBeIdentifiedText);
    attributes_.Size = 12;
    attributes_.VendorID = identity->vendorId;
    attributes_.ProductID = identity->productId;
    attributes_.VersionNumber = identity->versionNumber;
    CloseSyncHandle();
}

void TJvHidDevice::CheckIn(TJvHidDevice* device) {
    if (!device) return;
    const std::exception_ptr failure = device->ReturnToController();
    delete device;
    if (failure) std::rethrow_exception(failure);
}

TJvHidDevice::~TJvHidDevice() {
    if (!returned_) ReturnToController();
}

std::exception_ptr TJvHidDevice::ReturnToController() noexcept {
    if (returned_) return nullptr;
    returned_ = true;
    try {
        TJvHidDataEvent data = onData_;
        TJvHidPlugEvent unplug = onUnplug_;
        SetOnData(nullptr);
        onUnplug_ = nullptr;
        CloseSyncHandle();
        CloseReadHandle();
        preparsedData_.reset();
        if (!controller_) return nullptr;
        auto& list = controller_->list_;
        const auto it = std::find(list.begin(), list.end(), this);
        if (it == list.end()) return nullptr;
        if (!pluggedIn_) {
            list.erase(it);
            return nullptr;
        }
        auto fresh = std::unique_ptr<TJvHidDevice>(
            new TJvHidDevice(std::make_unique<TJvHidPnPInfo>(*pnpInfo_), controller_));
        fresh->SetOnData(data);
        fresh->onUnplug_ = unplug;
        fresh->SetThreadSleepTime(threadSleepTime_);
        *it = fresh.release();
        return nullptr;
    } catch (...) {
        // The interface cannot be opened again: it leaves the list, so that
        // the list never refers to this object after it has gone.
        if (controller_) {
            auto& list = controller_->list_;
            const auto it = std::find(list.begin(), list.end(), this);
            if (it != list.end()) list.erase(it);
        }
        return std::current_exception();
    }
}

bool TJvHidDevice::OpenSyncHandle() {
    if (Accessible() && !syncHandle_) {
        HidOpenResult opened = backend_->Open(pnpInfo_->DevicePath, HidAccess::ReadWrite);
        readWriteAccess_ = opened.handle != nullptr;
        if (!opened.handle) opened = backend_->Open(pnpInfo_->DevicePath, HidAccess::Query);
        syncHandle_ = std::move(opened.handle);
    }
    return syncHandle_ != nullptr;
}

void TJvHidDevice::CloseSyncHandle() {
    syncHandle_.reset();
}

std::shared_ptr<HidHandle> TJvHidDevice::OpenReadHandle(std::uint32_t& error) {
    std::lock_guard lock(readMutex_);
    if (!Accessible()) {
        error = ENODEV;
        return nullptr;
    }
    if (!readHandle_) {
        HidOpenResult opened = backend_->Open(pnpInfo_->DevicePath, HidAccess::Read);
        if (!opened.handle) {
            error = opened.error;
            return nullptr;
        }
        readHandle_ = std::move(opened.handle);
    }
    return readHandle_;
}

void TJvHidDevice::CloseReadHandle() {
    std::lock_guard lock(readMutex_);
    readHandle_.reset();
}

std::u16string TJvHidDevice::ProductString() {
    if (productString_.empty() && OpenSyncHandle()) {
        if (auto text = syncHandle_->ProductString()) productString_ = UpToZero(*text);
        CloseSyncHandle();
    }
    return productString_;
}

std::u16string TJvHidDevice::SerialString() {
    if (serialString_.empty() && OpenSyncHandle()) {
        std::u16string serial(kMaxStringLength, u'\0');
        const auto answered = syncHandle_->SerialString();
        if (!answered) {
            CloseSyncHandle();
            return serialString_;
        }
        std::copy_n(answered->begin(), std::min(answered->size(), serial.size()), serial.begin());

        // String number 0 is the device's list of language identifiers; the
        // buffer keeps 0xFFFF wherever the answer wrote nothing.
        std::u16string languages(kMaxStringLength, u'\xFFFF');
        if (auto list = syncHandle_->IndexedString(0)) {
            const std::size_t n = std::min(list->size(), languages.size());
            std::copy_n(list->begin(), n, languages.begin());
            if (n < languages.size()) languages[n] = u'\0';
        }
        std::size_t n = 0;
        for (std::size_t i = languages.size(); i-- > 0;) {
            if (languages[i] != u'\xFFFF') {
                n = languages[i] == u'\0' ? i : i + 1;
                break;
            }
        }
        const bool rejected =
            n == 0 || std::equal(serial.begin(), serial.begin() + n, languages.begin());
        if (!rejected) serialString_ = UpToZero(serial);
        CloseSyncHandle();
    }
    return serialString_;
}

bool TJvHidDevice::ObtainPreparsedData() {
    if (!preparsedData_ && OpenSyncHandle()) {
        preparsedData_ = syncHandle_->ReportLengths();
        CloseSyncHandle();
    }
    return preparsedData_.has_value();
}

THIDPCaps TJvHidDevice::Capabilities() {
    THIDPCaps caps{};
    if (ObtainPreparsedData()) {
        caps.InputReportByteLength = preparsedData_->input;
        caps.OutputReportByteLength = preparsedData_->output;
        caps.FeatureReportByteLength = preparsedData_->feature;
    }
    return caps;
}

bool TJvHidDevice::SendFeatureReport(const std::uint8_t* buffer, std::size_t length) {
    if (!OpenSyncHandle()) return false;
    return syncHandle_->SendFeatureReport(buffer, length);
}

void TJvHidDevice::MarkUnplugged() {
    CloseSyncHandle();
    CloseReadHandle();
    pluggedIn_ = false;
    TJvHidPlugEvent handler = onUnplug_;
    onUnplug_ = nullptr;
    if (handler) handler(this);
}

void TJvHidDevice::SetThreadSleepTime(std::int32_t milliseconds) {
    if (milliseconds >= 10 && milliseconds <= 10000) threadSleepTime_ = milliseconds;
}

void TJvHidDevice::SetOnData(TJvHidDataEvent handler) {
    if (!handler) StopReading();
    onData_ = std::move(handler);
    StartReading();
}

void TJvHidDevice::StartReading() {
    if (!onData_ || !pluggedIn_ || !checkedOut_ || !readWriteAccess_ || reader_) return;
    reader_ = std::make_unique<TJvHidDeviceReadThread>(this);
    reader_->Start();
}

void TJvHidDevice::StopReading() {
    if (!reader_) return;
    reader_->Terminate();
    handOver_->Wake();
    // Deliveries already handed over still run here, so a reader blocked in
    // one can see its stop flag.
    while (!reader_->Finished()) {
        handOver_->RunPendingUntil([this] { return reader_->Finished(); }, 20);
    }
    reader_->Join();
    reader_.reset();
}

// ---------------------------------------------------------------------------
// Controller

TJvHidDeviceController::TJvHidDeviceController(std::shared_ptr<HidBackend> backend)
    : backend_(std::move(backend)) {
    if (++gControllerCount > 1) {
        --gControllerCount;
        throw EControllerError(kOnlyOneControllerText);
    }
    handOver_ = std::make_shared<HidHandOver>();
    list_ = BuildDeviceList();
    if (backend_) backend_->SetChangeNotifier([this] { DeviceChange(); });
}

TJvHidDeviceController::~TJvHidDeviceController() {
    --gControllerCount;
    onDeviceChange_ = nullptr;
    onDeviceUnplug_ = nullptr;
    onEnumerate_ = nullptr;
    if (backend_) backend_->SetChangeNotifier({});
    std::vector<TJvHidDevice*> devices;
    devices.swap(list_);
    for (TJvHidDevice* device : devices) {
        device->controller_ = nullptr;
        if (device->checkedOut_) {
            device->MarkUnplugged();
        } else {
            delete device;
        }
    }
}

void TJvHidDeviceController::Discard(TJvHidDevice* device) {
    device->controller_ = nullptr;
    delete device;
}

std::vector<TJvHidDevice*> TJvHidDeviceController::BuildDeviceList() {
    std::vector<TJvHidDevice*> result;
    if (!backend_) return result;
    for (const HidInterface& found : backend_->PresentInterfaces()) {
        try {
            auto info = std::make_unique<TJvHidPnPInfo>(TJvHidPnPInfo{found.instance, found.path});
            result.push_back(new TJvHidDevice(std::move(info), this));
        } catch (const EControllerError&) {
            // An interface that cannot be opened or identified is not listed.
        }
    }
    return result;
}

std::int32_t TJvHidDeviceController::Enumerate() {
    std::int32_t count = 0;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        TJvHidDevice* device = list_[i];
        if (!device->pluggedIn_) continue;
        ++count;
        bool goOn = false;
        if (onEnumerate_) {
            TJvHidEnumerateEvent handler = onEnumerate_;
            WhileInEnumeration(device->inEnumeration_,
                               [&] { goOn = handler(device, static_cast<std::int32_t>(i)); });
        }
        if (!device->checkedOut_) {
            device->CloseSyncHandle();
            device->CloseReadHandle();
        }
        if (!goOn) break;
    }
    return count;
}

bool TJvHidDeviceController::CheckOutAt(std::int32_t Index, TJvHidDevice*& HidDev) {
    HidDev = nullptr;
    if (Index < 0 || Index >= Count()) return false;
    TJvHidDevice* device = list_[static_cast<std::size_t>(Index)];
    if (device->checkedOut_) return false;
    device->checkedOut_ = true;
    device->StartReading();
    HidDev = device;
    return true;
}

void TJvHidDeviceController::DeviceChange() {
    std::vector<TJvHidDevice*> fresh = BuildDeviceList();
    bool changed = false;
    auto presentIn = [&](std::uint32_t instance) {
        return std::any_of(fresh.begin(), fresh.end(), [&](TJvHidDevice* e) {
            return e && e->pnpInfo_->DeviceInstance == instance;
        });
    };

    for (std::size_t i = list_.size(); i-- > 0;) {
        if (i >= list_.size()) continue;
        TJvHidDevice* device = list_[i];
        if (presentIn(device->pnpInfo_->DeviceInstance) && device->pluggedIn_) continue;
        device->MarkUnplugged();
        if (onRemoval_) {
            TJvHidPlugEvent handler = onRemoval_;
            WhileInEnumeration(device->inEnumeration_, [&] { handler(device); });
        }
        if (!device->checkedOut_) {
            auto pos = std::find(list_.begin(), list_.end(), device);
            if (pos != list_.end()) list_.erase(pos);
            Discard(device);
        }
        changed = true;
    }

    for (TJvHidDevice*& entry : fresh) {
        const bool listed = std::any_of(list_.begin(), list_.end(), [&](TJvHidDevice* d) {
            return d->pnpInfo_->DeviceInstance == entry->pnpInfo_->DeviceInstance && d->pluggedIn_;
        });
        if (listed) {
            Discard(entry);
            entry = nullptr;
        }
    }

    for (TJvHidDevice* entry : fresh) {
        if (!entry) continue;
        list_.push_back(entry);
        changed = true;
        if (onArrival_) {
            TJvHidPlugEvent handler = onArrival_;
            WhileInEnumeration(entry->inEnumeration_, [&] { handler(entry); });
        }
    }

    if ((changed || !changeReported_) && onDeviceChange_) {
        TJvHidNotifyEvent handler = onDeviceChange_;
        handler(this);
    }
}

void TJvHidDeviceController::SetOnDeviceChange(TJvHidNotifyEvent handler) {
    if (handler.SameCode(onDeviceChange_)) return;
    onDeviceChange_ = std::move(handler);
    DeviceChange();
    changeReported_ = true;
}

void TJvHidDeviceController::SetOnDeviceData(TJvHidDataEvent handler) {
    if (handler.SameCode(onDeviceData_)) return;
    for (TJvHidDevice* device : std::vector<TJvHidDevice*>(list_)) {
        if (device->onData_.SameCode(onDeviceData_)) device->SetOnData(handler);
    }
    onDeviceData_ = std::move(handler);
}

void TJvHidDeviceController::SetOnDeviceDataError(TJvHidDataErrorEvent handler) {
    if (handler.SameCode(onDeviceDataError_)) return;
    for (TJvHidDevice* device : list_) {
        if (device->onDataError_.SameCode(onDeviceDataError_)) device->onDataError_ = handler;
    }
    onDeviceDataError_ = std::move(handler);
}

void TJvHidDeviceController::SetOnDeviceUnplug(TJvHidPlugEvent handler) {
    if (handler.SameCode(onDeviceUnplug_)) return;
    for (TJvHidDevice* device : list_) {
        if (device->onUnplug_.SameCode(onDeviceUnplug_)) device->onUnplug_ = handler;
    }
    onDeviceUnplug_ = std::move(handler);
}

void TJvHidDeviceController::SetDevThreadSleepTime(std::int32_t milliseconds) {
    if (milliseconds == devThreadSleepTime_) return;
    for (TJvHidDevice* device : list_) {
        if (device->threadSleepTime_ == devThreadSleepTime_)
            device->SetThreadSleepTime(milliseconds);
    }
    devThreadSleepTime_ = milliseconds;
}

}  // namespace varlo
