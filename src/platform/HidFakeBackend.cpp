#include "platform/HidFakeBackend.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace varlo {

class HidFakeHandle : public HidHandle {
  public:
    HidFakeHandle(std::shared_ptr<HidFakeBackend> backend, std::string name, std::uint32_t instance,
                  HidAccess access)
        : backend_(std::move(backend)),
          name_(std::move(name)),
          instance_(instance),
          access_(access) {}

    std::optional<HidIdentity> Identity() override {
        std::lock_guard lock(backend_->mutex_);
        const auto* slot = Live();
        if (!slot || !slot->device.identifiable) return std::nullopt;
        return HidIdentity{slot->device.vendorId, slot->device.productId,
                           slot->device.versionNumber};
    }
    std::optional<std::u16string> ProductString() override {
        std::lock_guard lock(backend_->mutex_);
        const auto* slot = Live();
        return slot ? slot->device.product : std::nullopt;
    }
    std::optional<std::u16string> SerialString() override {
        std::lock_guard lock(backend_->mutex_);
        const auto* slot = Live();
        return slot ? slot->device.serial : std::nullopt;
    }
    std::optional<std::u16string> IndexedString(int index) override {
        std::lock_guard lock(backend_->mutex_);
        const auto* slot = Live();
        if (!slot || index != 0) return std::nullopt;
        return slot->device.languages;
    }
    std::optional<HidReportLengths> ReportLengths() override {
        std::lock_guard lock(backend_->mutex_);
        const auto* slot = Live();
        if (!slot) return std::nullopt;
        return slot->device.reports;
    }
    bool SendFeatureReport(const std::uint8_t* data, std::size_t size) override {
        std::lock_guard lock(backend_->mutex_);
        auto* slot = Live();
        if (!slot || access_ != HidAccess::ReadWrite) return false;
        slot->features.emplace_back(data, data + size);
        return true;
    }
    HidReadResult ReadReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        std::unique_lock lock(backend_->mutex_);
        if (access_ == HidAccess::Query) return {HidReadResult::Kind::Error, 0, EBADF};
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto* slot = Live();
            if (!slot) return {HidReadResult::Kind::Error, 0, ENODEV};
            const auto now = std::chrono::steady_clock::now();
            if (!slot->queue.empty() && now >= slot->nextReport) {
                HidFakeBackend::Item item = std::move(slot->queue.front());
                slot->queue.pop_front();
                if (slot->repeat == HidFakeBackend::Repeat::All ||
                    (slot->repeat == HidFakeBackend::Repeat::Last && slot->queue.empty())) {
                    slot->queue.push_back(item);
                }
                slot->nextReport = now + std::chrono::milliseconds(slot->intervalMs);
                backend_->changed_.notify_all();
                if (item.isError) return {HidReadResult::Kind::Error, 0, item.error};
                const std::size_t n = std::min(size, item.report.size());
                std::memcpy(buffer, item.report.data(), n);
                return {HidReadResult::Kind::Report, n, 0};
            }
            if (now >= deadline) return {HidReadResult::Kind::Timeout, 0, 0};
            auto until = deadline;
            if (!slot->queue.empty()) until = std::min(until, slot->nextReport);
            backend_->changed_.wait_until(lock, until);
        }
    }

  private:
    HidFakeBackend::Slot* Live() {
        auto it = backend_->slots_.find(name_);
        if (it == backend_->slots_.end() || !it->second.present ||
            it->second.instance != instance_) {
            return nullptr;
        }
        return &it->second;
    }

    std::shared_ptr<HidFakeBackend> backend_;
    std::string name_;
    std::uint32_t instance_;
    HidAccess access_;
};

std::string HidFakeBackend::Plug(const std::string& name, const Device& device) {
    {
        std::lock_guard lock(mutex_);
        Slot& slot = slots_[name];
        if (std::find(order_.begin(), order_.end(), name) == order_.end()) order_.push_back(name);
        slot.device = device;
        slot.instance = nextInstance_++;
        slot.present = true;
    }
    changed_.notify_all();
    return PathOf(name);
}

void HidFakeBackend::Unplug(const std::string& name) {
    {
        std::lock_guard lock(mutex_);
        auto it = slots_.find(name);
        if (it != slots_.end()) it->second.present = false;
    }
    changed_.notify_all();
}

std::uint32_t HidFakeBackend::Instance(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = slots_.find(name);
    return it == slots_.end() ? 0 : it->second.instance;
}

void HidFakeBackend::QueueReport(const std::string& name, std::vector<std::uint8_t> report) {
    {
        std::lock_guard lock(mutex_);
        slots_[name].queue.push_back(Item{false, std::move(report), 0});
    }
    changed_.notify_all();
}

void HidFakeBackend::QueueError(const std::string& name, std::uint32_t code) {
    {
        std::lock_guard lock(mutex_);
        slots_[name].queue.push_back(Item{true, {}, code});
    }
    changed_.notify_all();
}

void HidFakeBackend::SetReportInterval(const std::string& name, int milliseconds) {
    std::lock_guard lock(mutex_);
    slots_[name].intervalMs = std::max(0, milliseconds);
}

void HidFakeBackend::SetRepeat(const std::string& name, Repeat repeat) {
    std::lock_guard lock(mutex_);
    slots_[name].repeat = repeat;
}

std::size_t HidFakeBackend::Queued(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = slots_.find(name);
    return it == slots_.end() ? 0 : it->second.queue.size();
}

std::vector<std::vector<std::uint8_t>> HidFakeBackend::FeatureReports(
    const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = slots_.find(name);
    return it == slots_.end() ? std::vector<std::vector<std::uint8_t>>{} : it->second.features;
}

void HidFakeBackend::NotifyChange() {
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        notify = notifier_;
    }
    if (notify) notify();
}

std::vector<HidInterface> HidFakeBackend::PresentInterfaces() {
    std::lock_guard lock(mutex_);
    std::vector<HidInterface> result;
    for (const auto& name : order_) {
        const Slot& slot = slots_[name];
        if (slot.present) result.push_back({slot.instance, PathOf(name)});
    }
    return result;
}

HidFakeBackend::Slot* HidFakeBackend::FindByPath(const std::string& path) {
    for (auto& [name, slot] : slots_) {
        if (PathOf(name) == path && slot.present) return &slot;
    }
    return nullptr;
}

HidOpenResult HidFakeBackend::Open(const std::string& path, HidAccess access) {
    std::lock_guard lock(mutex_);
    Slot* slot = FindByPath(path);
    if (!slot) return {nullptr, ENOENT};
    if (slot->device.access == Access::None) return {nullptr, EACCES};
    if (access != HidAccess::Query && slot->device.access != Access::ReadWrite) {
        return {nullptr, EACCES};
    }
    const std::string name = path.substr(PathOf("").size());
    return {std::make_unique<HidFakeHandle>(shared_from_this(), name, slot->instance, access), 0};
}

void HidFakeBackend::SetChangeNotifier(std::function<void()> changed) {
    std::vector<TimedChange> timed;
    {
        std::lock_guard lock(mutex_);
        notifier_ = std::move(changed);
        if (notifier_) timed.swap(timedChanges_);
    }
    if (timed.empty() || !QCoreApplication::instance()) return;
    std::weak_ptr<HidFakeBackend> weak = shared_from_this();
    for (const auto& change : timed) {
        QTimer::singleShot(change.atMs, QCoreApplication::instance(), [weak, change] {
            auto self = weak.lock();
            if (!self) return;
            if (change.plug) {
                Device device;
                {
                    std::lock_guard lock(self->mutex_);
                    device = self->slots_[change.name].device;
                }
                self->Plug(change.name, device);
            } else {
                self->Unplug(change.name);
            }
            self->NotifyChange();
        });
    }
}

}  // namespace varlo
