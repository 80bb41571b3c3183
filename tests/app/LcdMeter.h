#pragma once

// A decoder with the profile in force and "." as the decimal separator, for
// driving the display replica with real frame texts.
#include <stdexcept>
#include <string>

#include "decode/Locale.h"
#include "decode/MeterDecoder.h"
#include "decode/TraceSinks.h"

namespace varlo::test {

struct LcdMeter {
    LcdMeter() {
        decoder.SetFullScale(22000);
        decoder.SetBarFull(22);
        decoder.Panel().SetBarMax(22);
    }
    // Decodes `frame` and returns the display state it leaves.
    const LcdPanel& Decode(const std::string& frame) {
        if (!decoder.LcdDisplayKESTO(frame)) {
            throw std::runtime_error("frame rejected: " + frame);
        }
        return decoder.Panel();
    }

    FixedLocale locale;
    TraceSinks traces;
    MeterDecoder decoder{traces, locale};
};

}  // namespace varlo::test
