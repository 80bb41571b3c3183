#pragma once

#include "decode/Locale.h"

namespace varlo {

// The user's locale as the system reports it (LC_ALL, LC_NUMERIC, LANG).
class SystemLocale : public LocaleSource {
  public:
    std::string DecimalSeparator() const override;
    LocaleFormat Format() const override;
};

}  // namespace varlo
