#pragma once

#include <string>
#include <vector>

#include "recording/Recorder.h"
#include "support/RecordingDialogs.h"

namespace varlo::testing_fakes {

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
