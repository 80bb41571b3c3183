#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/HidBackend.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace varlo {

// HID interfaces as the kernel's hidraw nodes, found and watched with libudev.
// Identity and strings come from udev and sysfs, so a node the user may not
// open is still listed and identified; only reading and feature reports need
// the node itself.
class HidLinuxBackend : public HidBackend {
  public:
    // None when udev is not available.
    static std::shared_ptr<HidLinuxBackend> Create();
    ~HidLinuxBackend() override;

    std::vector<HidInterface> PresentInterfaces() override;
    HidOpenResult Open(const std::string& path, HidAccess access) override;
    void SetChangeNotifier(std::function<void()> changed) override;

    // Whether hot-plug notices can arrive (the udev monitor is open).
    bool Watching() const { return notifier_ != nullptr; }

  private:
    explicit HidLinuxBackend(struct udev* context);
    void DrainMonitor();

    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> changed_;
};

// Reads one report from a hidraw file descriptor into buffer, waiting at most
// timeoutMs. hidraw hands out the reports of a device without numbered
// reports without a report-ID byte; those get a 0 in front, so that the
// buffer always starts with the report ID.
HidReadResult ReadHidrawReport(int fd, bool numbered, std::uint8_t* buffer, std::size_t size,
                               int timeoutMs);

// A stable 32-bit identity for a sysfs path (FNV-1a). The path of a hidraw
// node holds the kernel's running number of the HID device, so a device that
// is plugged in again gets another identity.
std::uint32_t HidInstanceOf(const std::string& syspath);

}  // namespace varlo
