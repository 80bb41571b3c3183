#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/Dialogs.h"

namespace varlo::load {

// The window's dialogs for a run without anyone at the screen: every box
// the window would show is recorded instead (questions answered with the
// next queued answer, No once they have run out) and counted.
class CountingDialogs : public Dialogs {
  public:
    struct Box {
        enum class Kind { Ask, Inform, SystemMessage, Error };
        Kind kind;
        std::string text;
    };

    Answer Ask(const std::string& text) override {
        boxes.push_back({Box::Kind::Ask, text});
        if (answers.empty()) return Answer::No;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Inform(const std::string& text) override { boxes.push_back({Box::Kind::Inform, text}); }
    void SystemMessage(const std::string& title, const std::string& text) override {
        boxes.push_back({Box::Kind::SystemMessage, title + ": " + text});
    }
    void ShowError(const std::string& text) override { boxes.push_back({Box::Kind::Error, text}); }

    std::size_t Count() const { return boxes.size(); }
    // The boxes from `first` on, one a line: "error: TEXT", "ask: TEXT", ...
    std::string Describe(std::size_t first = 0) const {
        static const char* const kinds[] = {"ask", "inform", "system", "error"};
        std::string text;
        for (std::size_t i = first; i < boxes.size(); ++i) {
            text +=
                std::string(kinds[static_cast<int>(boxes[i].kind)]) + ": " + boxes[i].text + "\n";
        }
        return text;
    }

    std::deque<Answer> answers;
    std::vector<Box> boxes;
};

}  // namespace varlo::load
