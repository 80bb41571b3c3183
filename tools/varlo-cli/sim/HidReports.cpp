#include "sim/HidReports.h"

#include <algorithm>

namespace varlo::sim {

std::string ReportLine(const std::uint8_t* data, std::size_t count) {
    static const char hex[] = "0123456789ABCDEF";
    std::uint8_t report[9] = {};
    report[1] = static_cast<std::uint8_t>(0xF0 + count);
    for (std::size_t i = 0; i < count && i < 7; ++i) report[2 + i] = data[i];
    std::string line;
    line.reserve(26);
    for (int i = 0; i < 9; ++i) {
        if (i > 0) line += ' ';
        line += hex[report[i] >> 4];
        line += hex[report[i] & 0x0F];
    }
    return line;
}

std::vector<std::string> FrameReports(const Bytes& bytes, SimRandom& random, int idleReports) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t n = std::min<std::size_t>(1 + random.below(7), bytes.size() - at);
        lines.push_back(ReportLine(bytes.data() + at, n));
        at += n;
    }
    for (int i = 0; i < idleReports; ++i) lines.push_back(ReportLine(nullptr, 0));
    return lines;
}

}  // namespace varlo::sim
