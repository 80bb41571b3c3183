#pragma once

#include <deque>
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
    void Inform(const std::string& text) override { messages.push_back(text); }
    void SystemMessage(const std::string& title, const std::string& text) override {
        messages.push_back(title + ": " + text);
    }
    void ShowError(const std::string& text) override { messages.push_back("error: " + text); }

    std::deque<Answer> answers;
    Answer otherwise = Answer::No;
    std::vector<std::string> messages;
};

}  // namespace varlo::testing
