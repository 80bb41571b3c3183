#include "platform/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace varlo {
namespace {

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

// Main item tags and the report kind they add to.
constexpr std::uint8_t kInputTag = 0x8;
constexpr std::uint8_t kOutputTag = 0x9;
constexpr std::uint8_t kFeatureTag = 0xB;

// Global item tags.
constexpr std::uint8_t kReportSizeTag = 0x7;
constexpr std::uint8_t kReportIdTag = 0x8;
constexpr std::uint8_t kReportCountTag = 0x9;
constexpr std::uint8_t kPushTag = 0xA;
constexpr std::uint8_t kPopTag = 0xB;

constexpr std::size_t kMaxPushDepth = 32;
// A report can never be longer than this many bits; sums are capped there so
// that hostile sizes and counts cannot overflow.
constexpr std::uint64_t kMaxBits = 8ull * 65534ull;

std::uint16_t LengthOf(const std::array<std::uint64_t, 256>& bits) {
    std::uint64_t longest = 0;
    for (std::uint64_t b : bits) longest = std::max(longest, b);
    if (longest == 0) return 0;
    return static_cast<std::uint16_t>((longest + 7) / 8 + 1);
}

}  // namespace

HidReportLengths ParseHidReportDescriptor(const std::uint8_t* data, std::size_t size) {
    HidReportLengths result;
    std::array<std::array<std::uint64_t, 256>, 3> bits{};  // input, output, feature
    GlobalState global;
    std::vector<GlobalState> stack;

    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t prefix = data[pos];
        if (prefix == 0xFE) {  // long item: data size, tag, data
            if (pos + 3 > size || pos + 3 + data[pos + 1] > size) {
                result.complete = false;
                break;
            }
            pos += 3 + data[pos + 1];
            continue;
        }
        std::size_t dataSize = prefix & 0x3;
        if (dataSize == 3) dataSize = 4;
        if (pos + 1 + dataSize > size) {
            result.complete = false;
            break;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < dataSize; ++i) {
            value |= static_cast<std::uint32_t>(data[pos + 1 + i]) << (8 * i);
        }
        const std::uint8_t type = (prefix >> 2) & 0x3;
        const std::uint8_t tag = prefix >> 4;
        pos += 1 + dataSize;

        if (type == 0) {  // main
            int kind = -1;
            if (tag == kInputTag) kind = 0;
            if (tag == kOutputTag) kind = 1;
            if (tag == kFeatureTag) kind = 2;
            if (kind >= 0) {
                std::uint64_t& sum = bits[kind][global.reportId];
                const std::uint64_t add =
                    static_cast<std::uint64_t>(global.reportSize) * global.reportCount;
                sum = std::min(kMaxBits, sum + std::min(add, kMaxBits));
            }
        } else if (type == 1) {  // global
            switch (tag) {
                case kReportSizeTag:
                    global.reportSize = value;
                    break;
                case kReportCountTag:
                    global.reportCount = value;
                    break;
                case kReportIdTag:
                    global.reportId = static_cast<std::uint8_t>(value);
                    result.numbered = true;
                    break;
                case kPushTag:
                    if (stack.size() < kMaxPushDepth) stack.push_back(global);
                    break;
                case kPopTag:
                    if (!stack.empty()) {
                        global = stack.back();
                        stack.pop_back();
                    }
                    break;
                default:
                    break;
            }
        }
        // Local items name usages only; they do not change lengths.
    }

    result.input = LengthOf(bits[0]);
    result.output = LengthOf(bits[1]);
    result.feature = LengthOf(bits[2]);
    return result;
}

}  // namespace varlo
