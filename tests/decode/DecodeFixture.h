#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode/FrameAssembler.h"
#include "decode/Locale.h"
#include "decode/MeterDecoder.h"
#include "decode/TraceSinks.h"

namespace varlo::test {

// The assembler and decoder with the profile in force and a fixed locale.
struct Meter {
    explicit Meter(std::string decimalSep = ".") {
        LocaleFormat format;
        format.DecimalSeparator = decimalSep;
        locale.Set(format);
        decoder.RefreshLocale();
        decoder.SetFullScale(22000);
        decoder.SetBarFull(22);
        decoder.Panel().SetBarMax(22);
        decoder.SetOnDecoded([this] { decodedFrames.push_back(decoder.FrameText()); });
    }
    void Serial(const std::vector<std::uint8_t>& bytes) {
        assembler.KESTODATA(bytes.data(), bytes.size());
    }
    void Report(std::vector<std::uint8_t> bytes) {
        const std::uint8_t id = bytes.empty() ? 0 : bytes.front();
        if (!bytes.empty()) {
            bytes.erase(bytes.begin());
        }
        assembler.HidKestoData(id, bytes.data(), static_cast<std::uint16_t>(bytes.size()));
    }

    FixedLocale locale;
    TraceSinks traces;
    MeterDecoder decoder{traces, locale};
    FrameAssembler assembler{traces, decoder};
    std::vector<std::string> decodedFrames;
};

// The 12 data bytes, CR and LF of a frame text "A...D" as the meter sends
// them: each nibble as 0x30 + value.
inline std::vector<std::uint8_t> WireBytes(const std::string& frame) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
        const char c = frame[i];
        const int v = c <= '9' ? c - '0' : c - 'A' + 10;
        bytes.push_back(static_cast<std::uint8_t>(0x30 + v));
    }
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    return bytes;
}

}  // namespace varlo::test
