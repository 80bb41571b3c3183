#include "decode/FrameAssembler.h"

#include "common/Hex.h"
#include "common/VarloError.h"
#include "decode/MeterDecoder.h"

namespace varlo {

FrameAssembler::FrameAssembler(TraceSinks& traces, MeterDecoder& decoder)
    : traces_(traces), decoder_(decoder) {
    frameText_.reserve(2 * kFrameLength);
    nibbleBuffer_.reserve(kFrameLength);
    reportHexBuffer_.reserve(kReportHexLength);
}

void FrameAssembler::StartAfresh() {
    frameText_.clear();
    nibbleBuffer_.clear();
    reportHexBuffer_.clear();
    reportDataPending_ = false;
}

void FrameAssembler::Decode() {
    try {
        decoder_.LcdDisplayKESTO(frameText_);
    } catch (const VarloError& error) {
        ++failures_;
        if (errorReport_) {
            errorReport_(error.what());
        }
    }
}

template <typename CutFrame>
void FrameAssembler::AccumulateSerial(const std::uint8_t* data, std::size_t size,
                                      CutFrame&& cutFrame) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        if (byte != 0x0D) {
            if (nibbleBuffer_.size() < kFrameLength) {
                nibbleBuffer_.push_back(HexDigit(byte));
            }
            continue;
        }
        if (nibbleBuffer_.size() < kFrameLength) {
            nibbleBuffer_.push_back('D');
        }
        const bool valid = cutFrame();
        nibbleBuffer_.clear();
        traces_.USBtxt.Set(frameText_);
        Complete(valid);
    }
}

void FrameAssembler::Complete(bool valid) {
    ++completed_;
    if (onFrame_) {
        onFrame_();
    }
    if (valid) {
        Decode();
    } else {
        ++dropped_;
    }
}

bool FrameAssembler::IsValidFrame() const {
    return frameText_.size() >= kFrameLength && frameText_[0] == 'A' &&
           frameText_[kFrameLength - 1] == 'D';
}

void FrameAssembler::KESTODATA(const std::uint8_t* data, std::size_t size) {
    AccumulateSerial(data, size, [this] {
        frameText_ = nibbleBuffer_;
        return IsValidFrame();
    });
}

void FrameAssembler::TRIVAData(const std::uint8_t* data, std::size_t size) {
    AccumulateSerial(data, size, [this] {
        // Characters 2 to 10 followed by "DA": an 11-character frame for a
        // clean frame of 9 data bytes.
        frameText_ = nibbleBuffer_.size() > 1 ? nibbleBuffer_.substr(1, 9) : std::string();
        frameText_ += "DA";
        return nibbleBuffer_.size() >= 11 && nibbleBuffer_[0] == 'A' && nibbleBuffer_[10] == 'D';
    });
}

std::string FrameAssembler::ReportText(std::uint8_t reportId, const std::uint8_t* data,
                                       std::uint16_t size) {
    std::string text = "R ";
    text.reserve(5 + 3 * static_cast<std::size_t>(size));
    AppendHexByte(text, reportId);
    text += "  ";
    for (std::uint16_t k = 0; k < size; ++k) {
        AppendHexByte(text, data[k]);
        text.push_back(' ');
    }
    return text;
}

bool FrameAssembler::TakeReport(const std::string& reportText) {
    // The low digit of the first data byte counts the valid bytes after it.
    const char c = reportText.size() >= 8 ? reportText[7] : '\0';
    if (c != '\0') {
        ++idleReportCount_;
    }
    if (c >= '1' && c <= '9') {
        idleReportCount_ = 0;
        reportDataPending_ = true;
        const int n = c - '0';
        for (int k = 0; k < n; ++k) {
            const std::size_t pos = 9 + 3 * static_cast<std::size_t>(k);  // 0-based of 10+3k
            for (std::size_t j = pos; j < pos + 2 && j < reportText.size(); ++j) {
                if (reportHexBuffer_.size() < kReportHexLength) {
                    reportHexBuffer_.push_back(reportText[j]);
                }
            }
        }
        traces_.HistoryListBox.Add(reportText);
        traces_.HistoryListBox.SelectLast();
        return true;
    }
    return false;
}

void FrameAssembler::HidKestoData(std::uint8_t reportId, const std::uint8_t* data,
                                  std::uint16_t size) {
    const std::string reportText = ReportText(reportId, data, size);
    if (TakeReport(reportText)) {
        return;
    }
    if (reportDataPending_) {
        // The low nibbles of the accumulated bytes, appended to whatever the
        // frame text still holds.
        for (std::size_t i = 0; i < kFrameLength; ++i) {
            const std::size_t pos = 2 * i + 1;
            if (pos < reportHexBuffer_.size()) {
                frameText_.push_back(reportHexBuffer_[pos]);
            }
        }
        traces_.Memo2.Add(reportHexBuffer_);
        traces_.Memo1.Add(frameText_);
        // Character 14 (the line feed of a clean frame) goes to the front of
        // characters 1 to 13; anything beyond is dropped. A text that still
        // held the serial path's last frame is thereby cut to its first 14.
        if (frameText_.size() >= kFrameLength) {
            const char fourteenth = frameText_[kFrameLength - 1];
            frameText_.resize(kFrameLength - 1);
            frameText_.insert(frameText_.begin(), fourteenth);
        }
        Complete(IsValidFrame());
        frameText_.clear();
        reportHexBuffer_.clear();
    }
    reportDataPending_ = false;
}

void FrameAssembler::HidReadData(std::uint8_t reportId, const std::uint8_t* data,
                                 std::uint16_t size) {
    const std::string reportText = ReportText(reportId, data, size);
    if (TakeReport(reportText)) {
        return;
    }
    if (reportDataPending_) {
        frameText_.clear();
        for (std::size_t i = 0; i < kFrameLength; ++i) {
            const std::size_t pos = 2 * i + 1;
            if (pos < reportHexBuffer_.size()) {
                frameText_.push_back(reportHexBuffer_[pos]);
            }
        }
        traces_.USBtxt.Set(frameText_);
        reportHexBuffer_.clear();
    }
    reportDataPending_ = false;
}

}  // namespace varlo
