#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart/AxisRange.h"
#include "chart/ChartInterface.h"

namespace varlo::test {

// A chart that keeps its points in plain vectors and writes every call that
// changes it to Calls, e.g. "SetYMaximum 22000".
class RecordingChart : public ChartInterface {
  public:
    struct Point {
        double Y;
        std::string Label;
        RgbColour Colour;
    };

    class RecordingSeries : public ChartSeries {
      public:
        explicit RecordingSeries(RecordingChart& chart, int index) : chart_(chart), index_(index) {}
        void Append(double value, std::string_view label, RgbColour colour) override {
            Points.push_back({value, std::string(label), colour});
            chart_.Log("Append " + std::to_string(index_));
        }
        int PointCount() const override { return static_cast<int>(Points.size()); }
        void Clear() override {
            Points.clear();
            chart_.Log("Clear " + std::to_string(index_));
        }
        std::vector<Point> Points;

      private:
        RecordingChart& chart_;
        int index_;
    };

    RecordingChart() : series_{RecordingSeries(*this, 0), RecordingSeries(*this, 1)} {}

    int SeriesCount() const override { return 2; }
    ChartSeries& Series(int index) override { return series_.at(index); }
    RecordingSeries& At(int index) { return series_.at(index); }

    void SetXAutomatic(bool automatic) override {
        XAutomatic = automatic;
        Log(std::string("SetXAutomatic ") + (automatic ? "true" : "false"));
    }
    void SetXMinimum(double value) override {
        Log("SetXMinimum " + Number(value));
        X.SetMinimum(value);
    }
    void SetXMaximum(double value) override {
        Log("SetXMaximum " + Number(value));
        X.SetMaximum(value);
    }
    double XMinimum() const override { return X.Minimum(); }
    double XMaximum() const override { return X.Maximum(); }
    void ScrollX(double offset) override {
        Log("ScrollX " + Number(offset));
        const std::optional<XExtent> extent = ActiveXExtent();
        if (!extent) return;
        if (offset > 0 && extent->Greatest > X.Maximum()) X.Shift(offset);
        if (offset < 0 && extent->Smallest < X.Minimum()) X.Shift(offset);
    }
    std::optional<XExtent> ActiveXExtent() const override {
        const int count = series_[Active].PointCount();
        if (count == 0) return std::nullopt;
        return XExtent{0.0, count - 1.0};
    }
    void SetYMaximum(double value) override {
        Log("SetYMaximum " + Number(value));
        Y.SetMaximum(value);
    }
    void SetYMinimum(double value) override {
        Log("SetYMinimum " + Number(value));
        Y.SetMinimum(value);
    }

    static std::string Number(double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
        return text;
    }
    void Log(std::string call) { Calls.push_back(std::move(call)); }

    std::vector<std::string> Calls;
    bool XAutomatic = true;
    AxisRange X{0.0, 0.0};
    AxisRange Y{0.0, 0.0};
    int Active = 0;

  private:
    std::vector<RecordingSeries> series_;
};

}  // namespace varlo::test
