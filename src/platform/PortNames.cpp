#include "platform/PortNames.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace varlo {

namespace fs = std::filesystem;

EnvironmentLookup ProcessEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    };
}

namespace {

// The number after `prefix` when the whole name is prefix + digits.
std::optional<unsigned> NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    unsigned value = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last) return std::nullopt;
    return value;
}

bool UartBehind(const fs::path& sysfsTty, const std::string& name) {
    const fs::path entry = sysfsTty / name;
    std::ifstream type(entry / "type");
    if (type) {
        std::string text;
        type >> text;
        return !text.empty() && text != "0";
    }
    std::error_code ec;
    return fs::exists(entry / "device", ec);
}

}  // namespace

std::vector<std::string> ListSerialDevices(const SerialDeviceFolders& folders) {
    static const char* const kinds[] = {"ttyUSB", "ttyACM", "ttyS"};
    std::vector<std::pair<unsigned, std::string>> found[3];
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folders.devices, ec)) {
        const std::string name = entry.path().filename().string();
        for (int k = 0; k < 3; ++k) {
            if (auto n = NumberAfter(name, kinds[k])) {
                if (k == 2 && !UartBehind(folders.sysfsTty, name)) break;
                found[k].emplace_back(*n, entry.path().string());
                break;
            }
        }
    }
    std::vector<std::string> devices;
    for (auto& kind : found) {
        std::sort(kind.begin(), kind.end());
        for (auto& [n, path] : kind) devices.push_back(std::move(path));
    }
    return devices;
}

int ComPortIndex(const std::string& name) {
    if (name.size() < 4) return 0;
    std::string prefix = name.substr(0, 3);
    for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (prefix != "COM") return 0;
    auto n = NumberAfter("COM" + name.substr(3), "COM");
    if (!n || *n == 0 || *n > 255) return 0;
    return static_cast<int>(*n);
}

std::optional<std::string> ResolvePortName(const std::string& name,
                                           const SerialDeviceFolders& folders,
                                           const EnvironmentLookup& environment) {
    const int index = ComPortIndex(name);
    if (index == 0) return name;
    if (environment) {
        if (auto path = environment("VARLO_COM" + std::to_string(index)); path && !path->empty()) {
            return path;
        }
    }
    const auto devices = ListSerialDevices(folders);
    if (static_cast<std::size_t>(index) <= devices.size()) return devices[index - 1];
    return std::nullopt;
}

}  // namespace varlo
