#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varlo {

// Where serial devices are looked for. Tests point both at folders of
// their own.
struct SerialDeviceFolders {
    std::string devices = "/dev";
    std::string sysfsTty = "/sys/class/tty";
};

// Reads an environment variable; nullopt when unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
EnvironmentLookup ProcessEnvironment();

// The present serial devices, in "COMn" order: /dev/ttyUSB*, then
// /dev/ttyACM*, then /dev/ttyS*, each kind in numeric order (ttyUSB10
// after ttyUSB9). A ttyS device counts only when the kernel reports a UART
// behind it: its sysfs "type" attribute is not 0 (unknown), or, for drivers
// without that attribute, it has a "device" link.
std::vector<std::string> ListSerialDevices(const SerialDeviceFolders& folders);

// The number n of a port name "COMn" (any case), or 0 for other names.
int ComPortIndex(const std::string& name);

// The device path of a port name. "COMn" is VARLO_COMn when that is set
// and not empty, else the n-th present serial device; nullopt when there is
// none. Any other name is a device path and is returned as it is.
std::optional<std::string> ResolvePortName(const std::string& name,
                                           const SerialDeviceFolders& folders,
                                           const EnvironmentLookup& environment);

}  // namespace varlo
