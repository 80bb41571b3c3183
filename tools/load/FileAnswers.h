#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/FileDialogs.h"

namespace varlo::load {

// The window's file dialogs answered by the harness: each dialog returns
// the next queued name (a cancel once they have run out).
class FileAnswers : public FileDialogs {
  public:
    std::optional<std::string> Execute(const FileDialogSpec& dialog) override {
        shown.push_back(dialog.name);
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> shown;
};

}  // namespace varlo::load
