#include "platform/HidLinuxBackend.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/Hex.h"
#include "common/Utf8.h"

namespace varlo {
namespace {

struct DeviceRef {
    udev_device* device = nullptr;
    explicit DeviceRef(udev_device* d = nullptr) : device(d) {}
    DeviceRef(const DeviceRef&) = delete;
    DeviceRef& operator=(const DeviceRef&) = delete;
    ~DeviceRef() {
        if (device) udev_device_unref(device);
    }
};

std::optional<std::string> SysAttr(udev_device* device, const char* name) {
    if (!device) return std::nullopt;
    const char* value = udev_device_get_sysattr_value(device, name);
    if (!value) return std::nullopt;
    std::string text(value);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

std::optional<std::u16string> Wide(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return Utf8ToUtf16(*text);
}

class HidLinuxHandle : public HidHandle {
  public:
    // `device` is the hidraw node's udev device, of which the handle takes a
    // reference; none for a handle that only reads reports, which a reader
    // thread opens: libudev objects are not shared between threads, so such
    // a handle uses plain sysfs files only. `sysfsHid` is the HID device's
    // sysfs folder.
    HidLinuxHandle(udev_device* device, int fd, std::string sysfsHid)
        : device_(device), sysfsHid_(std::move(sysfsHid)), fd_(fd) {
        if (device_) {
            udev_device_ref(device_);
            // Parents belong to the child and are freed with it.
            hid_ = udev_device_get_parent_with_subsystem_devtype(device_, "hid", nullptr);
            usb_ = udev_device_get_parent_with_subsystem_devtype(device_, "usb", "usb_device");
        }
        if (fd_ >= 0) {
            if (auto lengths = ReportLengths()) numbered_ = lengths->numbered;
        }
    }
    ~HidLinuxHandle() override {
        if (fd_ >= 0) ::close(fd_);
        if (device_) udev_device_unref(device_);
    }

    std::optional<HidIdentity> Identity() override {
        HidIdentity identity;
        bool known = false;
        if (fd_ >= 0) {
            hidraw_devinfo info{};
            if (::ioctl(fd_, HIDIOCGRAWINFO, &info) >= 0) {
                identity.vendorId = static_cast<std::uint16_t>(info.vendor);
                identity.productId = static_cast<std::uint16_t>(info.product);
                known = true;
            }
        }
        if (!known && hid_) {
            // HID_ID=0003:000004D8:0000F00A (bus, vendor, product)
            const char* id = udev_device_get_property_value(hid_, "HID_ID");
            std::string_view text = id ? id : "";
            const auto first = text.find(':');
            const auto second = text.find(':', first == text.npos ? text.npos : first + 1);
            std::uint32_t vendor = 0, product = 0;
            if (second != text.npos &&
                ParseHexNumber(text.substr(first + 1, second - first - 1), vendor) &&
                ParseHexNumber(text.substr(second + 1), product)) {
                identity.vendorId = static_cast<std::uint16_t>(vendor);
                identity.productId = static_cast<std::uint16_t>(product);
                known = true;
            }
        }
        if (!known) return std::nullopt;
        if (auto bcd = SysAttr(usb_, "bcdDevice")) ParseHexNumber(*bcd, identity.versionNumber);
        return identity;
    }

    std::optional<std::u16string> ProductString() override {
        return Wide(SysAttr(usb_, "product"));
    }
    std::optional<std::u16string> SerialString() override { return Wide(SysAttr(usb_, "serial")); }
    // hidraw gives no access to a device's string descriptors by number.
    std::optional<std::u16string> IndexedString(int) override { return std::nullopt; }

    std::optional<HidReportLengths> ReportLengths() override {
        std::vector<std::uint8_t> descriptor;
        {
            std::ifstream in(sysfsHid_ + "/report_descriptor", std::ios::binary);
            if (in) {
                descriptor.assign(std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>());
            }
        }
        if (descriptor.empty() && fd_ >= 0) {
            int size = 0;
            hidraw_report_descriptor raw{};
            if (::ioctl(fd_, HIDIOCGRDESCSIZE, &size) >= 0 && size > 0 &&
                size <= HID_MAX_DESCRIPTOR_SIZE) {
                raw.size = static_cast<std::uint32_t>(size);
                if (::ioctl(fd_, HIDIOCGRDESC, &raw) >= 0) {
                    descriptor.assign(raw.value, raw.value + raw.size);
                }
            }
        }
        if (descriptor.empty()) return std::nullopt;
        return ParseHidReportDescriptor(descriptor.data(), descriptor.size());
    }

    bool SendFeatureReport(const std::uint8_t* data, std::size_t size) override {
        if (fd_ < 0 || size == 0) return false;
        std::vector<std::uint8_t> copy(data, data + size);
        return ::ioctl(fd_, HIDIOCSFEATURE(copy.size()), copy.data()) >= 0;
    }

    HidReadResult ReadReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        if (fd_ < 0) return {HidReadResult::Kind::Error, 0, EBADF};
        return ReadHidrawReport(fd_, numbered_, buffer, size, timeoutMs);
    }

  private:
    udev_device* device_;
    std::string sysfsHid_;
    udev_device* hid_ = nullptr;
    udev_device* usb_ = nullptr;
    int fd_;
    bool numbered_ = false;
};

}  // namespace

HidReadResult ReadHidrawReport(int fd, bool numbered, std::uint8_t* buffer, std::size_t size,
                               int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready == 0 || (ready < 0 && errno == EINTR)) return {HidReadResult::Kind::Timeout, 0, 0};
    if (ready < 0) return {HidReadResult::Kind::Error, 0, static_cast<std::uint32_t>(errno)};
    if (!(p.revents & POLLIN)) {
        // Hang-up or error without data: the device has gone.
        return {HidReadResult::Kind::Error, 0, static_cast<std::uint32_t>(ENODEV)};
    }
    const std::size_t offset = numbered ? 0 : 1;
    if (size <= offset) return {HidReadResult::Kind::Error, 0, static_cast<std::uint32_t>(EINVAL)};
    const ssize_t n = ::read(fd, buffer + offset, size - offset);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return {HidReadResult::Kind::Timeout, 0, 0};
        return {HidReadResult::Kind::Error, 0, static_cast<std::uint32_t>(errno)};
    }
    if (n == 0) return {HidReadResult::Kind::Error, 0, static_cast<std::uint32_t>(ENODEV)};
    if (!numbered) buffer[0] = 0;
    return {HidReadResult::Kind::Report, static_cast<std::size_t>(n) + offset, 0};
}

std::uint32_t HidInstanceOf(const std::string& syspath) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : syspath) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::shared_ptr<HidLinuxBackend> HidLinuxBackend::Create() {
    struct udev* context = udev_new();
    if (!context) return nullptr;
    return std::shared_ptr<HidLinuxBackend>(new HidLinuxBackend(context));
}

HidLinuxBackend::HidLinuxBackend(struct udev* context) : udev_(context) {}

HidLinuxBackend::~HidLinuxBackend() {
    notifier_.reset();
    if (monitor_) udev_monitor_unref(monitor_);
    udev_unref(udev_);
}

std::vector<HidInterface> HidLinuxBackend::PresentInterfaces() {
    std::vector<HidInterface> result;
    udev_enumerate* enumerate = udev_enumerate_new(udev_);
    if (!enumerate) return result;
    udev_enumerate_add_match_subsystem(enumerate, "hidraw");
    if (udev_enumerate_scan_devices(enumerate) >= 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            const char* syspath = udev_list_entry_get_name(entry);
            DeviceRef device(udev_device_new_from_syspath(udev_, syspath));
            const char* node = device.device ? udev_device_get_devnode(device.device) : nullptr;
            if (!node) continue;
            result.push_back({HidInstanceOf(syspath), node});
        }
    }
    udev_enumerate_unref(enumerate);
    return result;
}

HidOpenResult HidLinuxBackend::Open(const std::string& path, HidAccess access) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {nullptr, static_cast<std::uint32_t>(errno)};
    if (!S_ISCHR(st.st_mode)) return {nullptr, static_cast<std::uint32_t>(ENODEV)};
    const std::string sysfsHid = "/sys/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
                                 std::to_string(minor(st.st_rdev)) + "/device";
    if (access == HidAccess::Read) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return {nullptr, static_cast<std::uint32_t>(errno)};
        return {std::make_unique<HidLinuxHandle>(nullptr, fd, sysfsHid), 0};
    }
    DeviceRef device(udev_device_new_from_devnum(udev_, 'c', st.st_rdev));
    if (!device.device) return {nullptr, static_cast<std::uint32_t>(ENODEV)};
    int fd = -1;
    if (access == HidAccess::ReadWrite) {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return {nullptr, static_cast<std::uint32_t>(errno)};
    }
    return {std::make_unique<HidLinuxHandle>(device.device, fd, sysfsHid), 0};
}

void HidLinuxBackend::SetChangeNotifier(std::function<void()> changed) {
    changed_ = std::move(changed);
    if (!changed_ || monitor_ || !QCoreApplication::instance()) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        return;
    }
    const int fd = udev_monitor_get_fd(monitor_);
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { DrainMonitor(); });
}

void HidLinuxBackend::DrainMonitor() {
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        udev_device_unref(device);
        any = true;
    }
    if (any && changed_) changed_();
}

}  // namespace varlo
