#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/Dialogs.h"
#include "recording/Recorder.h"

namespace varlo::testing_fakes {

// Answers questions from a script (No when it runs out) and keeps every text.
class ScriptedDialogs : public Dialogs {
  public:
    Answer Ask(const std::string& text) override {
        asked.push_back(text);
        if (answers.empty()) return Answer::No;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Inform(const std::string& text) override { informed.push_back(text); }
    void SystemMessage(const std::string& title, const std::string& text) override {
        informed.push_back(title + ": " + text);
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }

    std::deque<Answer> answers;
    std::vector<std::string> asked, informed, errors;
};

// A chart of pages of `pageSize` points.
class FakeChart : public RecordChart {
  public:
    explicit FakeChart(int pageSize = 100) : pageSize_(pageSize) {}
    void AddValue(double value) override { points.push_back(value); }
    int PageNo() const override {
        return points.empty() ? 1 : static_cast<int>((points.size() - 1) / pageSize_) + 1;
    }
    void Clear() override {
        points.clear();
        ++clears;
    }
    std::vector<double> points;
    int clears = 0;

  private:
    std::size_t pageSize_;
};

class FakeWindow : public RecordWindow {
  public:
    void SetBt10Caption(const std::string& caption) override { bt10 = caption; }
    void BtNewClick() override { ++newClicks; }
    std::string bt10;
    int newClicks = 0;
};

}  // namespace varlo::testing_fakes
