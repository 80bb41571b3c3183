#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "decode/LcdPanel.h"
#include "decode/Locale.h"
#include "decode/MeterReading.h"
#include "decode/TraceSinks.h"

namespace varlo {

class MeterDecoder;

// The per-reading follow-up that runs inside the decoding of a frame, at
// fixed points between the decoding steps. Every step may throw VarloError,
// which abandons the rest of the frame.
class ReadingFollowUp {
  public:
    virtual ~ReadingFollowUp() = default;
    // After the locale values were read: keep the limit texts in the
    // locale's decimal separator.
    virtual void NormaliseLimitTexts(const MeterDecoder& decoder) = 0;
    virtual void SoundAlarm(const MeterDecoder& decoder) = 0;
    virtual void TrackExtremes(const MeterDecoder& decoder) = 0;
    // Runs before the digit captions are set.
    virtual void ShowExtremes(const MeterDecoder& decoder) = 0;
    virtual void AdvanceRecallClock(const MeterDecoder& decoder) = 0;
    // Sets JudgeText through the decoder's mutable reading.
    virtual void Judge(MeterDecoder& decoder) = 0;
    virtual void AppendToLog(const MeterDecoder& decoder) = 0;
};

// A follow-up that does nothing (frame decoding alone).
class NoFollowUp : public ReadingFollowUp {
  public:
    void NormaliseLimitTexts(const MeterDecoder&) override {}
    void SoundAlarm(const MeterDecoder&) override {}
    void TrackExtremes(const MeterDecoder&) override {}
    void ShowExtremes(const MeterDecoder&) override {}
    void AdvanceRecallClock(const MeterDecoder&) override {}
    void Judge(MeterDecoder&) override {}
    void AppendToLog(const MeterDecoder&) override {}
};

// The chart's vertical range, which the decoder sets by the lit point.
class ChartYRange {
  public:
    virtual ~ChartYRange() = default;
    virtual void SetYMax(double value) = 0;
    virtual void SetYMin(double value) = 0;
};

// The link indicator and idle counter that the connection watchdog reads.
struct LinkIndicator {
    bool CONokVisible = false;
    bool CONokNVisible = true;
    int LinkIdleTicks = 0;
};

// Decodes one display frame into the display replica and the reading.
class MeterDecoder {
  public:
    // Reads the locale's decimal separator and format settings once.
    MeterDecoder(TraceSinks& traces, const LocaleSource& locale);

    void SetFollowUp(ReadingFollowUp* followUp) { followUp_ = followUp ? followUp : &noFollowUp_; }
    void SetChartYRange(ChartYRange* chart) { chart_ = chart; }
    void SetFullScale(int fullScale) { fullScale_ = fullScale; }
    void SetBarFull(int barFull) { barFull_ = barFull; }
    // Called after each frame that was decoded to the end.
    void SetOnDecoded(std::function<void()> onDecoded) { onDecoded_ = std::move(onDecoded); }

    // Decodes a frame that passed the assembler's validity test. A frame
    // whose range or digits would not convert is rejected whole; nothing
    // of it is shown. Returns false for a rejected frame.
    bool LcdDisplayKESTO(std::string_view frameText);

    // Reads the locale values afresh. A running process sees its locale
    // change only through the locale-change event, which calls this; frames
    // use the values read last.
    void RefreshLocale();

    // Why a frame is rejected, or empty when it is decodable.
    static std::string RejectionReason(std::string_view frameText);

    const LcdPanel& Panel() const { return panel_; }
    LcdPanel& Panel() { return panel_; }
    const MeterReading& Reading() const { return reading_; }
    MeterReading& Reading() { return reading_; }
    const std::string& DecimalSep() const { return decimalSep_; }
    const LocaleFormat& Format() const { return localeFormat_; }
    const LinkIndicator& Link() const { return link_; }
    LinkIndicator& Link() { return link_; }
    int FullScale() const { return fullScale_; }

    // The frame being decoded and its bits (valid during and after decoding).
    const std::string& FrameText() const { return frameText_; }
    const std::string& FrameBits() const { return frameBits_; }
    // Bit n of the frame, counted from 1.
    bool Bit(int n) const { return n >= 1 && n <= 48 && frameBits_[n - 1] == '1'; }

    std::uint64_t DecodedCount() const { return decoded_; }
    std::uint64_t RejectedCount() const { return rejected_; }

  private:
    int Nibble(int position) const;
    void ApplyFunctionTable(int f, int r);
    void ApplyDutyTable(int f);
    void ApplyOptionTable(int g, int r);
    void ApplyFrequencyRange(int r);

    TraceSinks& traces_;
    const LocaleSource& locale_;
    NoFollowUp noFollowUp_;
    ReadingFollowUp* followUp_ = &noFollowUp_;
    ChartYRange* chart_ = nullptr;
    std::function<void()> onDecoded_;

    LcdPanel panel_;
    MeterReading reading_;
    std::string decimalSep_;
    LocaleFormat localeFormat_;
    LinkIndicator link_;
    int fullScale_ = 22000;
    int barFull_ = 22;

    std::string frameText_;
    std::string frameBits_;
    std::uint64_t decoded_ = 0;
    std::uint64_t rejected_ = 0;
};

}  // namespace varlo
