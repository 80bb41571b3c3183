#include "platform/HidFakeBackend.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/VarloError.h"

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
                if (slot->repeat) slot->queue.push_back(item);
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

void HidFakeBackend::SetRepeat(const std::string& name, bool repeat) {
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

// ---------------------------------------------------------------------------
// Script reading

namespace {

std::vector<std::string> SplitWords(const std::string& line, bool& unterminated) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    unterminated = false;
    for (char c : line) {
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
            continue;
        }
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"') {
            quoted = true;
        } else {
            word += c;
        }
    }
    if (quoted) unterminated = true;
    if (inWord) words.push_back(word);
    return words;
}

template <class T>
bool ParseNumber(const std::string& text, int base, T& out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

std::u16string Utf16(const std::string& text) {
    return QString::fromStdString(text).toStdU16String();
}

bool ParseBool(const std::string& text, bool& out) {
    if (text == "yes" || text == "1" || text == "true") return out = true, true;
    if (text == "no" || text == "0" || text == "false") return out = false, true;
    return false;
}

// One report of the --hid-reports text form: hexadecimal byte pairs.
bool ParseReportBytes(const std::vector<std::string>& words, std::size_t from,
                      std::vector<std::uint8_t>& out, std::string& reason) {
    out.clear();
    for (std::size_t i = from; i < words.size(); ++i) {
        unsigned value = 0;
        if (words[i].size() != 2 || !ParseNumber(words[i], 16, value)) {
            reason = "'" + words[i] + "' is not a hexadecimal byte";
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(value));
    }
    if (out.empty()) {
        reason = "a report needs at least its report ID";
        return false;
    }
    return true;
}

}  // namespace

std::shared_ptr<HidFakeBackend> HidFakeBackend::FromScript(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw VarloError(path + ":0: cannot read the HID device script");
    auto backend = std::make_shared<HidFakeBackend>();
    std::map<std::string, Device> declared;
    const std::string folder =
        path.find('/') == std::string::npos ? std::string() : path.substr(0, path.rfind('/') + 1);

    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& reason) {
        throw VarloError(path + ":" + std::to_string(lineNo) + ": " + reason);
    };
    auto needDevice = [&](const std::string& name) {
        if (!declared.count(name)) fail("unknown device '" + name + "'");
    };

    while (std::getline(in, line)) {
        ++lineNo;
        bool unterminated = false;
        const auto words = SplitWords(line, unterminated);
        if (unterminated) fail("unterminated quoted text");
        if (words.empty()) continue;
        const std::string& command = words[0];
        if (command == "device") {
            if (words.size() < 2) fail("device needs a name");
            Device device;
            bool plugged = true;
            for (std::size_t i = 2; i < words.size(); ++i) {
                const auto eq = words[i].find('=');
                if (eq == std::string::npos) fail("'" + words[i] + "' is not key=value");
                const std::string key = words[i].substr(0, eq);
                const std::string value = words[i].substr(eq + 1);
                bool ok = true;
                if (key == "vid") {
                    ok = ParseNumber(value, 16, device.vendorId);
                } else if (key == "pid") {
                    ok = ParseNumber(value, 16, device.productId);
                } else if (key == "version") {
                    ok = ParseNumber(value, 16, device.versionNumber);
                } else if (key == "product") {
                    device.product = Utf16(value);
                } else if (key == "serial") {
                    device.serial = Utf16(value);
                } else if (key == "languages") {
                    std::u16string list;
                    std::stringstream items(value);
                    std::string item;
                    while (ok && std::getline(items, item, ',')) {
                        std::uint16_t id = 0;
                        ok = ParseNumber(item, 16, id);
                        list.push_back(static_cast<char16_t>(id));
                    }
                    device.languages = list;
                } else if (key == "access") {
                    if (value == "rw") {
                        device.access = Access::ReadWrite;
                    } else if (value == "query") {
                        device.access = Access::QueryOnly;
                    } else if (value == "none") {
                        device.access = Access::None;
                    } else {
                        ok = false;
                    }
                } else if (key == "identifiable") {
                    ok = ParseBool(value, device.identifiable);
                } else if (key == "input") {
                    ok = ParseNumber(value, 10, device.reports.input);
                } else if (key == "feature") {
                    ok = ParseNumber(value, 10, device.reports.feature);
                } else if (key == "numbered") {
                    ok = ParseBool(value, device.reports.numbered);
                } else if (key == "plugged") {
                    ok = ParseBool(value, plugged);
                } else {
                    fail("unknown device key '" + key + "'");
                }
                if (!ok) fail("bad value for " + key + ": '" + value + "'");
            }
            declared[words[1]] = device;
            backend->Plug(words[1], device);
            if (!plugged) backend->Unplug(words[1]);
        } else if (command == "report") {
            if (words.size() < 2) fail("report needs a device name");
            needDevice(words[1]);
            std::vector<std::uint8_t> bytes;
            std::string reason;
            if (!ParseReportBytes(words, 2, bytes, reason)) fail(reason);
            backend->QueueReport(words[1], std::move(bytes));
        } else if (command == "reports") {
            if (words.size() != 3) fail("reports needs a device name and a file");
            needDevice(words[1]);
            const std::string file = words[2].rfind('/', 0) == 0 ? words[2] : folder + words[2];
            std::ifstream reports(file);
            if (!reports) fail("cannot read '" + file + "'");
            std::string reportLine;
            int reportNo = 0;
            while (std::getline(reports, reportLine)) {
                ++reportNo;
                bool open = false;
                auto bytesWords = SplitWords(reportLine, open);
                if (bytesWords.empty()) continue;
                std::vector<std::uint8_t> bytes;
                std::string reason;
                if (!ParseReportBytes(bytesWords, 0, bytes, reason)) {
                    throw VarloError(file + ":" + std::to_string(reportNo) + ": " + reason);
                }
                backend->QueueReport(words[1], std::move(bytes));
            }
        } else if (command == "error") {
            std::uint32_t code = 0;
            if (words.size() != 3 || !ParseNumber(words[2], 10, code)) {
                fail("error needs a device name and a decimal code");
            }
            needDevice(words[1]);
            backend->QueueError(words[1], code);
        } else if (command == "interval") {
            int ms = 0;
            if (words.size() != 3 || !ParseNumber(words[2], 10, ms)) {
                fail("interval needs a device name and milliseconds");
            }
            needDevice(words[1]);
            backend->SetReportInterval(words[1], ms);
        } else if (command == "repeat") {
            if (words.size() != 2) fail("repeat needs a device name");
            needDevice(words[1]);
            backend->SetRepeat(words[1], true);
        } else if (command == "at") {
            int ms = 0;
            if (words.size() != 4 || !ParseNumber(words[1], 10, ms) ||
                (words[2] != "plug" && words[2] != "unplug")) {
                fail("expected: at MILLISECONDS plug|unplug NAME");
            }
            needDevice(words[3]);
            backend->timedChanges_.push_back({ms, words[2] == "plug", words[3]});
        } else {
            fail("unknown command '" + command + "'");
        }
    }
    return backend;
}

}  // namespace varlo
