#include "LogRowStreams.h"

#include <cstdio>
#include <random>

#include "common/Dialogs.h"
#include "decode/Locale.h"
#include "decode/MeterDecoder.h"
#include "decode/TraceSinks.h"
#include "recording/LocalClock.h"
#include "recording/NumberText.h"
#include "recording/ReadingLog.h"
#include "recording/Recorder.h"
#include "sim/MeterFrame.h"
#include "sim/Scenarios.h"
#include "sim/SimRandom.h"

namespace varlo::bench {

namespace {

std::string TimeText(std::int64_t second) {
    char text[16];
    const int s = static_cast<int>(second % 86400);
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return text;
}

class DriftingStream : public LogRowStream {
  public:
    const char* Name() const override { return "drifting"; }

    void NextBatch(std::vector<LogRow>& rows) override {
        for (LogRow& row : rows) {
            counts_ += step_(random_);
            if (counts_ > 22000 || counts_ < -22000) counts_ = 0;
            if (modeChange_(random_) == 0) mode_ = (mode_ + 1) % 5;
            const Mode& m = kModes[mode_];
            ++no_;
            row.no = no_;
            row.time = TimeText(no_);
            row.function = m.function;
            row.value = ValueText(counts_, m.decimals);
            row.unit = m.unit;
            row.judge = (counts_ > -20000 && counts_ < 20000) ? "Pass" : "Fail";
            row.nval = counts_;
        }
    }

  private:
    struct Mode {
        const char* function;
        const char* unit;
        int decimals;  // digits after the decimal point
    };
    static constexpr Mode kModes[] = {
        {"DC", "V", 3}, {"DC", "V", 4}, {"AC", "V", 3}, {"Ohm", "K*", 2}, {"Frequency", "Hz", 1}};

    // A meter value text: sign, five digits with the decimal point in place,
    // leading zeros kept ("00.123", "-1.2345").
    static std::string ValueText(int counts, int decimals) {
        char digits[12];
        std::snprintf(digits, sizeof digits, "%05d", counts < 0 ? -counts : counts);
        std::string text = counts < 0 ? "-" : "";
        const int whole = 5 - decimals;
        text.append(digits, static_cast<std::size_t>(whole));
        text += '.';
        text.append(digits + whole);
        return text;
    }

    std::mt19937 random_{12345};
    std::uniform_int_distribution<int> step_{-40, 40};
    std::uniform_int_distribution<int> modeChange_{0, 9999};
    int counts_ = 123;
    int mode_ = 0;
    std::int32_t no_ = 0;
};

// A clock that the stream moves on by half a second per frame, as a replay
// at the meter's pace stamps its rows.
class StepClock : public LocalClock {
  public:
    void Advance(std::int64_t ms) { ms_ += ms; }
    LocalDateTime Now() const override {
        const std::int64_t ofDay = ms_ % (24LL * 3600 * 1000);
        return LocalDateTime{0,
                             0,
                             0,
                             static_cast<int>(ofDay / 3600000),
                             static_cast<int>(ofDay / 60000 % 60),
                             static_cast<int>(ofDay / 1000 % 60),
                             static_cast<int>(ofDay % 1000)};
    }

  private:
    std::int64_t ms_ = 0;
};

// The decoder's follow-up reduced to what the log sees: the judgement
// against the default limits -22000 .. 22000 (a value that is not a number,
// such as an overload, fails) and the hand-over to the recorder.
class RandomFrameStream : public LogRowStream,
                          private ReadingFollowUp,
                          private RecordChart,
                          private RecordWindow,
                          private Dialogs {
  public:
    RandomFrameStream()
        : decoder_(traces_, locale_),
          recorder_(scratch_, *this, *this, *this, clock_, locale_),
          random_(1) {
        decoder_.SetFollowUp(this);
        recorder_.limitessClick();
    }

    const char* Name() const override { return "random"; }

    void NextBatch(std::vector<LogRow>& rows) override {
        scratch_.Clear();
        // The measured log, not this scratch one, holds the run's rows.
        recorder_.State().RecordCount = 0;
        while (scratch_.RowCount() < rows.size()) {
            clock_.Advance(500);
            decoder_.LcdDisplayKESTO(sim::FrameText(sim::RandomFrame(random_)));
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            LogRow& row = rows[i];
            row.no = scratch_.Int(i, ReadingLog::kNo).value_or(0);
            row.time = scratch_.TextView(i, ReadingLog::kTime);
            row.function = scratch_.TextView(i, ReadingLog::kFunction);
            row.value = scratch_.TextView(i, ReadingLog::kValue);
            row.unit = scratch_.TextView(i, ReadingLog::kUnit);
            row.judge = scratch_.TextView(i, ReadingLog::kAuto);
            row.nval = scratch_.Int(i, ReadingLog::kNVal).value_or(0);
        }
    }

  private:
    void NormaliseLimitTexts(const MeterDecoder&) override {}
    void SoundAlarm(const MeterDecoder&) override {}
    void TrackExtremes(const MeterDecoder&) override {}
    void ShowExtremes(const MeterDecoder&) override {}
    void AdvanceRecallClock(const MeterDecoder&) override {}
    void Judge(MeterDecoder& d) override {
        MeterReading& reading = d.Reading();
        const auto value = ParseLocaleFloat(reading.ValueText, d.Format().DecimalSeparator);
        reading.JudgeText = value && *value >= -22000.0 && *value <= 22000.0 ? "Pass" : "Fail";
    }
    void AppendToLog(const MeterDecoder& d) override {
        recorder_.INDataToTable(d.Reading(), controls_);
    }

    void AddValue(double) override {}
    int PageNo() const override { return 1; }
    void Clear() override {}
    void SetBt10Caption(const std::string&) override {}
    void BtNewClick() override {}
    Answer Ask(const std::string&) override { return Answer::No; }
    void Inform(const std::string&) override {}
    void SystemMessage(const std::string&, const std::string&) override {}
    void ShowError(const std::string&) override {}

    FixedLocale locale_;
    StepClock clock_;
    TraceSinks traces_;
    MeterDecoder decoder_;
    ReadingLog scratch_;
    Recorder recorder_;
    RecordControls controls_;
    sim::SimRandom random_;
};

}  // namespace

std::unique_ptr<LogRowStream> MakeDriftingStream() {
    return std::make_unique<DriftingStream>();
}

std::unique_ptr<LogRowStream> MakeRandomFrameStream() {
    return std::make_unique<RandomFrameStream>();
}

}  // namespace varlo::bench
