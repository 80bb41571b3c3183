#pragma once

#include "common/Hex.h"

namespace varlo {

// Value of one character of a frame text: the frame carries upper-case
// hexadecimal only, so anything else (a lower-case digit included) is -1.
inline int NibbleValue(char c) {
    return c >= 'a' ? -1 : HexValue(c);
}

}  // namespace varlo
