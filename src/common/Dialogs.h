#pragma once

#include <string>

namespace varlo {

// Every modal box the program shows goes through this interface, so that
// tests and varlo-cli can answer or collect them.
class Dialogs {
  public:
    enum class Answer { Yes, No };
    virtual ~Dialogs() = default;
    // An information box with the buttons Yes and No.
    virtual Answer Ask(const std::string& text) = 0;
    // A notice with an OK button.
    virtual void Inform(const std::string& text) = 0;
    // A system message box with a title and an OK button.
    virtual void SystemMessage(const std::string& title, const std::string& text) = 0;
    // The general error report: a handler failed with this text.
    virtual void ShowError(const std::string& text) = 0;
};

}  // namespace varlo
