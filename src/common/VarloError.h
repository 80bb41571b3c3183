#pragma once

#include <stdexcept>
#include <string>

namespace varlo {

// The failure that the general error report shows: a handler's conversion or
// framework error, carrying the exact text of the message box. The handler
// that raised it is abandoned; the program goes on with the next event.
class VarloError : public std::runtime_error {
  public:
    explicit VarloError(const std::string& message) : std::runtime_error(message) {}
};

// "'%s' is not a valid integer value"
inline VarloError InvalidIntegerError(const std::string& text) {
    return VarloError("'" + text + "' is not a valid integer value");
}

// "'%s' is not a valid floating point value"
inline VarloError InvalidFloatError(const std::string& text) {
    return VarloError("'" + text + "' is not a valid floating point value");
}

}  // namespace varlo
