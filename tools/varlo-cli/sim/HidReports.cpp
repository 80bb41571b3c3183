#include "sim/HidReports.h"

#include <algorithm>

#include "platform/HidReportText.h"

namespace varlo::sim {

std::string ReportLine(const std::uint8_t* data, std::size_t count) {
    std::uint8_t report[8] = {};
    report[0] = static_cast<std::uint8_t>(0xF0 + count);
    std::copy_n(data, std::min<std::size_t>(count, 7), report + 1);
    return FormatHidReportText(0, report, sizeof report);
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
