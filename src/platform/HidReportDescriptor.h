#pragma once

#include <cstddef>
#include <cstdint>

namespace varlo {

// What the layer above needs to know of a HID report descriptor: the byte
// length of the longest input, output and feature report, each counted with
// its leading report-ID byte (which is 0 on a device without numbered
// reports), or 0 when the descriptor declares no report of that kind.
struct HidReportLengths {
    std::uint16_t input = 0;
    std::uint16_t output = 0;
    std::uint16_t feature = 0;
    bool numbered = false;  // the descriptor uses report IDs
    bool complete = true;   // false when the descriptor ended inside an item
};

// Walks the items of a report descriptor and adds up the bits of every main
// item (size times count) per report kind and report ID. A truncated or
// malformed descriptor gives the lengths of what was read before the fault.
HidReportLengths ParseHidReportDescriptor(const std::uint8_t* data, std::size_t size);

}  // namespace varlo
