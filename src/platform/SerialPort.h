#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/SerialLine.h"

namespace varlo {

// Why a serial port could not be opened.
enum class SerialOpenFailure : std::uint8_t {
    None,
    NoSuchDevice,      // nothing at that name, or no device behind "COMn"
    Busy,              // another program (or another driver here) holds it
    PermissionDenied,  // the user may not open it
    Other,
};

struct SerialOpenError {
    SerialOpenFailure kind = SerialOpenFailure::None;
    int osError = 0;      // the operating system's error number, 0 when none
    std::string port;     // the name asked for ("COM1" or a path)
    std::string device;   // the device path it resolved to, empty when none
    std::string reason;   // why, in the user's words ("permission denied; ...")
    std::string message;  // one line for the user: the port, its device and the reason
};

// What one read of a port gave.
struct SerialReadResult {
    std::size_t count = 0;  // bytes read; 0 when nothing was queued
    // The operating system's error number when the read failed, 0 when it
    // worked. A device that has gone (a pulled adapter, a terminal whose
    // other side closed) fails with EIO, ENODEV or ENXIO.
    int error = 0;
};

// One open serial port, receive side. Closed when destroyed.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Programs the line. Refusals by the device are absorbed: the port
    // stays usable with whatever it accepted.
    virtual void ApplyLineSettings(const LineSettings& settings) = 0;
    virtual void SetQueueSizes(std::uint32_t inputBytes, std::uint32_t outputBytes) = 0;
    virtual void SetTimeouts(const PortTimeouts& timeouts) = 0;
    // Discards what is queued in the chosen directions.
    virtual void Purge(bool input, bool output) = 0;
    // Reads up to maxBytes of what is queued without waiting.
    virtual SerialReadResult Read(std::uint8_t* buffer, std::size_t maxBytes) = 0;
};

struct SerialOpenResult {
    std::unique_ptr<SerialPort> port;  // null when the open failed
    std::string device;                // the device path the name resolved to
    SerialOpenError error;
};

// Opens serial ports by name: "COM1" to "COM4" or a device path.
class SerialPortSystem {
  public:
    virtual ~SerialPortSystem() = default;
    // Opens for exclusive use: a second open of the same port is refused.
    virtual SerialOpenResult Open(const std::string& name) = 0;
};

}  // namespace varlo
