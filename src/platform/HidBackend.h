#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/HidReportDescriptor.h"

namespace varlo {

// One HID interface present on the machine.
struct HidInterface {
    // Identity used to match interfaces between two enumerations; a device that
    // is unplugged and plugged in again gets a new one.
    std::uint32_t instance = 0;
    // Every open of the interface uses this path.
    std::string path;
};

struct HidIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

enum class HidAccess {
    ReadWrite,  // reading reports and sending feature reports
    Query,      // identity and strings only; succeeds without access to the node
    Read,       // input reports only
};

struct HidReadResult {
    enum class Kind { Report, Timeout, Error };
    Kind kind = Kind::Timeout;
    std::size_t size = 0;     // bytes stored for a report, report-ID byte included
    std::uint32_t error = 0;  // platform error code for Kind::Error
};

// An open interface. Queries answer std::nullopt when the platform has no
// answer (a string the device does not have, string number 0 on Linux, ...).
class HidHandle {
  public:
    virtual ~HidHandle() = default;
    virtual std::optional<HidIdentity> Identity() = 0;
    virtual std::optional<std::u16string> ProductString() = 0;
    virtual std::optional<std::u16string> SerialString() = 0;
    virtual std::optional<std::u16string> IndexedString(int index) = 0;
    virtual std::optional<HidReportLengths> ReportLengths() = 0;
    // The first byte is the report ID (0 on a device without numbered reports).
    virtual bool SendFeatureReport(const std::uint8_t* data, std::size_t size) = 0;
    // Waits at most timeoutMs for one input report and stores it with its
    // report-ID byte first (0 added for a device without numbered reports).
    // Thread-safe against the handle's other calls only in the sense that one
    // thread reads while no other thread uses the handle.
    virtual HidReadResult ReadReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) = 0;
};

struct HidOpenResult {
    std::unique_ptr<HidHandle> handle;  // none on failure
    std::uint32_t error = 0;            // platform error code on failure
};

// The platform's HID services. Calls come from the GUI thread, except
// HidHandle::ReadReport and Open(..., HidAccess::Read), which a reader thread
// makes for its own device; implementations make those safe.
class HidBackend {
  public:
    virtual ~HidBackend() = default;
    virtual std::vector<HidInterface> PresentInterfaces() = 0;
    virtual HidOpenResult Open(const std::string& path, HidAccess access) = 0;
    // `changed` runs on the GUI thread whenever the set of interfaces may have
    // changed; an empty function stops the notices.
    virtual void SetChangeNotifier(std::function<void()> changed) = 0;
};

// The platform's text for an error code ("No such device").
std::string HidErrorText(std::uint32_t code);

// The backend of this process: the fake backend with the script that the
// environment variable VARLO_HID_FAKE names, else the Linux hidraw backend.
// None when the platform's services are not available. A script that cannot
// be read throws VarloError with "FILE:LINE: reason".
std::shared_ptr<HidBackend> CreateHidBackend();

}  // namespace varlo
