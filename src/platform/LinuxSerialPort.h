#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/PortNames.h"
#include "platform/SerialPort.h"

namespace varlo {

// A serial device opened with POSIX calls.
class LinuxSerialPort : public SerialPort {
  public:
    LinuxSerialPort(int fd, std::string device);
    ~LinuxSerialPort() override;
    LinuxSerialPort(const LinuxSerialPort&) = delete;
    LinuxSerialPort& operator=(const LinuxSerialPort&) = delete;

    void ApplyLineSettings(const LineSettings& settings) override;
    void SetQueueSizes(std::uint32_t inputBytes, std::uint32_t outputBytes) override;
    void SetTimeouts(const PortTimeouts& timeouts) override;
    void Purge(bool input, bool output) override;
    SerialReadResult Read(std::uint8_t* buffer, std::size_t maxBytes) override;

    const std::string& Device() const { return device_; }
    // What the device refused at the last ApplyLineSettings, one line each
    // ("character size 7: ..."); a pseudo-terminal refuses 7 bits and the
    // modem lines, a real port nothing.
    const std::vector<std::string>& Refusals() const { return refusals_; }

  private:
    int fd_;
    std::string device_;
    std::uint8_t characterMask_ = 0xFF;
    std::vector<std::string> refusals_;
};

// Opens "COM1".."COM4" (mapped by ResolvePortName) and device paths.
class LinuxSerialPortSystem : public SerialPortSystem {
  public:
    explicit LinuxSerialPortSystem(SerialDeviceFolders folders = {},
                                   EnvironmentLookup environment = ProcessEnvironment());

    SerialOpenResult Open(const std::string& name) override;

    // The device path Open would take for `name` (see ResolvePortName).
    std::optional<std::string> Resolve(const std::string& name) const {
        return ResolvePortName(name, folders_, environment_);
    }

    // Makes the next opens fail as if the system had answered with this
    // error number (ENOENT, EBUSY, EACCES, ...); nullopt opens for real.
    // Lets tests running as root see the refusals a user meets.
    void InjectOpenFailure(std::optional<int> errorNumber) { injected_ = errorNumber; }

  private:
    SerialDeviceFolders folders_;
    EnvironmentLookup environment_;
    std::optional<int> injected_;
};

// The user's line for a failed open of `device` (named `port` by the caller).
SerialOpenError DescribeOpenFailure(const std::string& port, const std::string& device,
                                    int errorNumber);

// Sets a speed that has no Bnnn constant on an open terminal.
bool SetCustomBaudRate(int fd, std::uint32_t baudRate);

}  // namespace varlo
