#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/HidReportDescriptor.h"

// Report descriptors come from the device: any bytes must parse without a
// fault, and every length stays within what a report can be.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const varlo::HidReportLengths r = varlo::ParseHidReportDescriptor(data, size);
    if (r.input == 1 || r.output == 1 || r.feature == 1) std::abort();  // 0, or ID byte + data
    return 0;
}
