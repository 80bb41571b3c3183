#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/Dialogs.h"

namespace varlo::testing {

// The dialogs of the tests: answers each question with the next of
// `answers`, or `otherwise` once they have run out, and keeps every box in
// `messages` in the order shown: "ask: TEXT" for a question, a notice as its
// text, "TITLE: TEXT" for a system message and "error: TEXT" for the general
// error report.
class RecordingDialogs : public Dialogs {
  public:
    Answer Ask(const std::string& text) override {
        messages.push_back("ask: " + text);
        if (answers.empty()) return otherwise;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Inform(const std::string& text) override {
        messages.push_back(text);
        if (onInform) onInform(text);
    }
    void SystemMessage(const std::string& title, const std::string& text) override {
        messages.push_back(title + ": " + text);
    }
    void ShowError(const std::string& text) override { messages.push_back("error: " + text); }

    std::deque<Answer> answers;
    Answer otherwise = Answer::No;
    std::vector<std::string> messages;
    // Runs while a notice is up, to look at what is behind it.
    std::function<void(const std::string&)> onInform;

    // The questions asked, the notices and system messages shown, and the
    // error reports, each without its prefix, in the order shown.
    std::vector<std::string> Asked() const { return Kind("ask: "); }
    std::vector<std::string> Errors() const { return Kind("error: "); }
    std::vector<std::string> Informed() const {
        std::vector<std::string> shown;
        for (const std::string& message : messages)
            if (!message.starts_with("ask: ") && !message.starts_with("error: "))
                shown.push_back(message);
        return shown;
    }

  private:
    std::vector<std::string> Kind(const std::string& prefix) const {
        std::vector<std::string> shown;
        for (const std::string& message : messages)
            if (message.starts_with(prefix)) shown.push_back(message.substr(prefix.size()));
        return shown;
    }
};

}  // namespace varlo::testing
