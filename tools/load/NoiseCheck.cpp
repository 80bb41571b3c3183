#include "NoiseCheck.h"

#include <optional>

namespace varlo::load {

namespace {

// How far past frames lost to noise a completed frame is looked for.
constexpr std::size_t kLookAhead = 16;
constexpr std::size_t kFaultsKept = 20;

std::string Joined(const std::vector<std::string>& fields) {
    std::string text;
    for (const std::string& field : fields) text += (text.empty() ? "" : "|") + field;
    return text;
}

const char* OutcomeName(CompletedFrame::Outcome outcome) {
    switch (outcome) {
        case CompletedFrame::Outcome::Dropped:
            return "dropped";
        case CompletedFrame::Outcome::Rejected:
            return "rejected";
        case CompletedFrame::Outcome::Failed:
            return "failed in its follow-up";
        case CompletedFrame::Outcome::Decoded:
            return "decoded";
    }
    return "?";
}

class Findings {
  public:
    explicit Findings(NoiseFindings& f) : f_(f) {}
    ~Findings() {
        if (more_ > 0) f_.faults.push_back("... and " + std::to_string(more_) + " more faults");
    }
    void Fault(const std::string& text) {
        if (f_.faults.size() < kFaultsKept) {
            f_.faults.push_back(text);
        } else {
            ++more_;
        }
    }

  private:
    NoiseFindings& f_;
    std::size_t more_ = 0;
};

}  // namespace

NoiseFindings CheckAgainstSent(const std::vector<SentFrame>& sent,
                               const std::vector<CompletedFrame>& completed,
                               const NoiseMarks& marks,
                               const std::function<std::vector<std::string>(std::size_t)>& row) {
    NoiseFindings f;
    f.sent = sent.size();
    {
        Findings findings(f);
        std::size_t next = 0;  // the next sent frame not yet seen
        // A sent frame passed over: the noise must have reached it.
        auto passedOver = [&](std::size_t j) {
            if (marks.Touched(j)) {
                ++f.lost;
            } else {
                findings.Fault("sent frame " + std::to_string(j) + " \"" + sent[j].text +
                               "\" never came, and the noise log does not mark it");
            }
        };
        for (std::size_t k = 0; k < completed.size(); ++k) {
            const CompletedFrame& c = completed[k];
            const std::string where =
                "completed frame " + std::to_string(k) + " \"" + c.text + "\"";
            // The sent frame it is: the next one, or a later one past frames
            // that never came whole.
            std::optional<std::size_t> match;
            for (std::size_t j = next; j < sent.size() && j <= next + kLookAhead; ++j) {
                if (c.text == sent[j].text) {
                    match = j;
                    break;
                }
            }
            if (match) {
                for (std::size_t j = next; j < *match; ++j) passedOver(j);
                next = *match + 1;
                const SentFrame& s = sent[*match];
                if (c.outcome != CompletedFrame::Outcome::Decoded || !c.row) {
                    findings.Fault(where + ", sent frame " + std::to_string(*match) +
                                   " as sent, was " + OutcomeName(c.outcome) +
                                   (c.row ? "" : " and not recorded"));
                } else if (const auto got = row(*c.row); got != s.row) {
                    findings.Fault(where + ", sent frame " + std::to_string(*match) +
                                   ", was recorded as " + Joined(got) + ", sent as " +
                                   Joined(s.row));
                } else {
                    ++f.matched;
                }
                continue;
            }
            if (!marks.Touched(next)) {
                findings.Fault(where +
                               " is no frame sent, and the noise log marks neither sent "
                               "frame " +
                               std::to_string(next) + " nor the one before it");
            }
            switch (c.outcome) {
                case CompletedFrame::Outcome::Dropped:
                    ++f.badDropped;
                    break;
                case CompletedFrame::Outcome::Rejected:
                    ++f.badRejected;
                    break;
                case CompletedFrame::Outcome::Failed:
                    findings.Fault(where + " failed in its follow-up (an error box)");
                    break;
                case CompletedFrame::Outcome::Decoded:
                    if (c.row) {
                        ++f.badRecorded;
                    } else {
                        findings.Fault(where + " was decoded but not recorded");
                    }
                    break;
            }
        }
        for (std::size_t j = next; j < sent.size(); ++j) passedOver(j);
    }
    return f;
}

}  // namespace varlo::load
