#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "decode/TraceSinks.h"

namespace varlo {

class MeterDecoder;

// Turns the byte stream of the serial cable, or the input reports of the
// USB cable, into 14-character frame texts and hands each valid one to the
// decoder. Only the low nibble of every byte counts.
class FrameAssembler {
  public:
    // Buffers are cut here; bytes past a frame's length are dropped until
    // the frame ends, so a line without carriage returns cannot grow memory.
    static constexpr std::size_t kFrameLength = 14;
    static constexpr std::size_t kReportHexLength = 2 * kFrameLength;

    FrameAssembler(TraceSinks& traces, MeterDecoder& decoder);

    // A failure raised while a frame was processed (its follow-up) is handed
    // here; assembly goes on with the next byte. Without a handler the
    // failure is only counted.
    void SetErrorReport(std::function<void(const std::string&)> report) {
        errorReport_ = std::move(report);
    }
    // Called for every frame the assembler completes, valid or not, before
    // it is tested.
    void SetOnFrameCompleted(std::function<void()> onFrame) { onFrame_ = std::move(onFrame); }

    // Serial receive handlers: one block of received bytes per call.
    void KESTODATA(const std::uint8_t* data, std::size_t size);
    void TRIVAData(const std::uint8_t* data, std::size_t size);
    // USB report handlers: one input report per call.
    void HidKestoData(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    void HidReadData(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);

    // Drops the part of a frame received so far on either link, so that a
    // new connection never finishes a frame begun on the one before (a cable
    // pulled mid-frame and plugged in again). The counters stay.
    void StartAfresh();

    const std::string& FrameText() const { return frameText_; }
    const std::string& NibbleBuffer() const { return nibbleBuffer_; }
    const std::string& ReportHexBuffer() const { return reportHexBuffer_; }
    bool ReportDataPending() const { return reportDataPending_; }
    std::int32_t IdleReportCount() const { return idleReportCount_; }
    void SetIdleReportCount(std::int32_t count) { idleReportCount_ = count; }

    // Frames completed that failed the "A" ... "D" test.
    std::uint64_t DroppedCount() const { return dropped_; }
    std::uint64_t CompletedCount() const { return completed_; }
    std::uint64_t FailureCount() const { return failures_; }

  private:
    void Decode();
    template <typename CutFrame>
    void AccumulateSerial(const std::uint8_t* data, std::size_t size, CutFrame&& cutFrame);
    // Counts a completed frame and decodes it when it is valid.
    void Complete(bool valid);
    bool IsValidFrame() const;
    // The report as the history list shows it: "R ", the report ID, two
    // blanks, then each data byte and a blank.
    static std::string ReportText(std::uint8_t reportId, const std::uint8_t* data,
                                  std::uint16_t size);
    // Shared steps of both report handlers; returns true when the report was
    // a data report (nothing more to do).
    bool TakeReport(const std::string& reportText);

    TraceSinks& traces_;
    MeterDecoder& decoder_;
    std::function<void(const std::string&)> errorReport_;
    std::function<void()> onFrame_;

    std::string frameText_;
    std::string nibbleBuffer_;
    std::string reportHexBuffer_;
    bool reportDataPending_ = false;
    std::int32_t idleReportCount_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t completed_ = 0;
    std::uint64_t failures_ = 0;
};

}  // namespace varlo
