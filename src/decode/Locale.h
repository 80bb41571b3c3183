#pragma once

#include <string>

namespace varlo {

// The number and time format settings of the user's locale.
struct LocaleFormat {
    std::string DecimalSeparator = ".";
    std::string ThousandSeparator = ",";
    std::string TimeSeparator = ":";
    std::string ShortTimeFormat = "hh:mm:ss";
    std::string ShortDateFormat = "yyyy-MM-dd";
};

// Where the user's locale is read from. The program asks the system; tests
// and varlo-cli --decimal-sep give fixed answers.
class LocaleSource {
  public:
    virtual ~LocaleSource() = default;
    // The decimal separator; empty when the locale cannot be asked.
    virtual std::string DecimalSeparator() const = 0;
    virtual LocaleFormat Format() const = 0;
};

// A locale with fixed answers.
class FixedLocale : public LocaleSource {
  public:
    explicit FixedLocale(LocaleFormat format = {}) : format_(std::move(format)) {}
    std::string DecimalSeparator() const override { return format_.DecimalSeparator; }
    LocaleFormat Format() const override { return format_; }
    void Set(LocaleFormat format) { format_ = std::move(format); }

  private:
    LocaleFormat format_;
};

}  // namespace varlo
