#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/HidBackend.h"

namespace varlo {

// Scripted HID devices for tests and for running the program without a
// cable. Devices are named; each plug gives a new instance number, so an
// unplug and replug between two enumerations looks like a different device.
// Reports are queued per device and handed out by reads in order.
class HidFakeBackend : public HidBackend, public std::enable_shared_from_this<HidFakeBackend> {
  public:
    enum class Access {
        ReadWrite,  // opens for reading and writing
        QueryOnly,  // refused for reading and writing, identity and strings still readable
        None,       // cannot be opened at all
    };

    struct Device {
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        std::uint16_t versionNumber = 0;
        std::optional<std::u16string> product;
        std::optional<std::u16string> serial;
        // String number 0, the device's list of language identifiers; none when
        // the device does not answer it.
        std::optional<std::u16string> languages;
        Access access = Access::ReadWrite;
        bool identifiable = true;  // the identity query succeeds
        HidReportLengths reports{9, 0, 0, false, true};
    };

    HidFakeBackend() = default;

    // Reads a device script (its commands are in README.md); throws
    // VarloError "FILE:LINE: reason" for a script it cannot read or a line
    // it cannot use.
    static std::shared_ptr<HidFakeBackend> FromScript(const std::string& path);

    // Plugs the named device in (again) and returns its path.
    std::string Plug(const std::string& name, const Device& device);
    void Unplug(const std::string& name);
    std::uint32_t Instance(const std::string& name) const;

    // A report as the layer reads it: report-ID byte first.
    void QueueReport(const std::string& name, std::vector<std::uint8_t> report);
    void QueueError(const std::string& name, std::uint32_t code);
    // Time between two reports of the device (0: as fast as they are read).
    void SetReportInterval(const std::string& name, int milliseconds);
    // What happens to the items read: with All, each is queued again at the
    // end (the queue starts over once it has run dry); with Last, the last
    // item is queued again whenever the queue runs dry, so it is read again
    // and again.
    enum class Repeat { None, All, Last };
    void SetRepeat(const std::string& name, Repeat repeat);
    // Items still queued for the device.
    std::size_t Queued(const std::string& name) const;

    // The feature reports sent to the device, in order.
    std::vector<std::vector<std::uint8_t>> FeatureReports(const std::string& name) const;

    // Runs the change notifier, as a hot-plug notice would.
    void NotifyChange();

    std::vector<HidInterface> PresentInterfaces() override;
    HidOpenResult Open(const std::string& path, HidAccess access) override;
    void SetChangeNotifier(std::function<void()> changed) override;

  private:
    friend class HidFakeHandle;
    struct Item {
        bool isError = false;
        std::vector<std::uint8_t> report;
        std::uint32_t error = 0;
    };
    struct Slot {
        Device device;
        std::uint32_t instance = 0;
        bool present = false;
        std::deque<Item> queue;
        int intervalMs = 0;
        Repeat repeat = Repeat::None;
        std::chrono::steady_clock::time_point nextReport{};
        std::vector<std::vector<std::uint8_t>> features;
    };
    struct TimedChange {
        int atMs = 0;
        bool plug = false;
        std::string name;
    };

    Slot* FindByPath(const std::string& path);
    static std::string PathOf(const std::string& name) { return "/fake/hid/" + name; }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, Slot> slots_;
    std::vector<std::string> order_;  // enumeration order: order of first plug
    std::uint32_t nextInstance_ = 1;
    std::function<void()> notifier_;
    std::vector<TimedChange> timedChanges_;
};

}  // namespace varlo
