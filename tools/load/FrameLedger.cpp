#include "FrameLedger.h"

#include "followup/MeterSession.h"

namespace varlo::load {

FrameLedger::FrameLedger(MeterSession& session) : session_(session) {
    session_.Assembler().SetOnFrameCompleted([this] {
        marks_.push_back({session_.Assembler().FrameText(), Now()});
    });
}

FrameLedger::~FrameLedger() {
    session_.Assembler().SetOnFrameCompleted(nullptr);
}

FrameLedger::Counters FrameLedger::Now() const {
    const FrameAssembler& assembler = session_.Assembler();
    return {assembler.DroppedCount(), session_.Decoder().RejectedCount(), assembler.FailureCount(),
            session_.Decoder().DecodedCount(), session_.Log().RowCount()};
}

std::vector<CompletedFrame> FrameLedger::Frames() const {
    std::vector<CompletedFrame> frames;
    frames.reserve(marks_.size());
    for (std::size_t k = 0; k < marks_.size(); ++k) {
        const Counters& before = marks_[k].before;
        const Counters after = k + 1 < marks_.size() ? marks_[k + 1].before : Now();
        CompletedFrame frame;
        frame.text = marks_[k].text;
        if (after.dropped > before.dropped) {
            frame.outcome = CompletedFrame::Outcome::Dropped;
        } else if (after.rejected > before.rejected) {
            frame.outcome = CompletedFrame::Outcome::Rejected;
        } else if (after.failed > before.failed) {
            frame.outcome = CompletedFrame::Outcome::Failed;
        } else {
            frame.outcome = CompletedFrame::Outcome::Decoded;
        }
        if (after.rows > before.rows) frame.row = before.rows;
        frames.push_back(std::move(frame));
    }
    return frames;
}

}  // namespace varlo::load
