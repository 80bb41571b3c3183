#pragma once

#include <string>

namespace varlo {

// The latest decoded reading: one instance, overwritten by every frame.
struct MeterReading {
    std::string ValueText;      // the reading as shown, e.g. "00.123", "-0L"
    std::string FunctionText;   // "DC", "AC", "Ohm", ... or empty
    std::string UnitText;       // unit in glyph form: "V", "K*", "&  *", ...
    std::string RangeModeText;  // "AUTO" or "MANU"
    double Counts = 0.0;        // sign and digits as one integer
    double ScaledValue = 0.0;   // Counts scaled by the lit decimal point
    int DecimalPointIndex = 0;  // 0..3
    std::string JudgeText;      // "Pass", "Fail" or empty before the first judgement
};

}  // namespace varlo
