#include "decode/TraceSinks.h"

#include "decode/Nibble.h"

namespace varlo {

std::string BuildFrameBits(std::string_view frameText, int lastPosition) {
    std::string bits;
    BuildFrameBits(frameText, bits, lastPosition);
    return bits;
}

void BuildFrameBits(std::string_view frameText, std::string& bits, int lastPosition) {
    static constexpr char kNibbleBits[16][5] = {"0000", "0001", "0010", "0011", "0100", "0101",
                                                "0110", "0111", "1000", "1001", "1010", "1011",
                                                "1100", "1101", "1110", "1111"};
    const int positions = lastPosition >= 2 ? lastPosition - 1 : 0;
    bits.resize(static_cast<std::size_t>(positions) * 4);
    int value = 0;
    char* out = bits.data();
    for (int pos = 2; pos <= lastPosition; ++pos) {
        if (static_cast<std::size_t>(pos) <= frameText.size()) {
            value = NibbleValue(frameText[pos - 1]);
            if (value < 0) {
                value = 0;
            }
        }
        for (int i = 0; i < 4; ++i) {
            *out++ = kNibbleBits[value][i];
        }
    }
}

void LineSink::Push(Entry entry) {
    lineCount_ += entry.count;
    totalAdded_ += entry.count;
    entries_.push_back(std::move(entry));
    while (lineCount_ > kMaxLines) {
        Entry& front = entries_.front();
        const std::size_t frontLines = front.count - skip_;
        const std::size_t excess = lineCount_ - kMaxLines;
        if (frontLines <= excess) {
            lineCount_ -= frontLines;
            skip_ = 0;
            entries_.pop_front();
        } else {
            skip_ += excess;
            lineCount_ -= excess;
        }
    }
}

void LineSink::Add(std::string_view line) {
    Push(Entry{std::string(line), Kind::Text, 1});
}

void LineSink::AddFrameBitsProgression(std::string_view frameText) {
    Push(Entry{std::string(frameText), Kind::FrameBits, 12});
}

void LineSink::AddRepeated(std::string_view line, int count) {
    if (count > 0) {
        Push(Entry{std::string(line), Kind::Repeated, static_cast<std::uint16_t>(count)});
    }
}

void LineSink::Clear() {
    entries_.clear();
    skip_ = 0;
    lineCount_ = 0;
    selected_ = false;
}

std::string LineSink::Expand(const Entry& entry, std::size_t lineInEntry) {
    switch (entry.kind) {
        case Kind::FrameBits:
            return BuildFrameBits(entry.text, 2 + static_cast<int>(lineInEntry));
        case Kind::Text:
        case Kind::Repeated:
            break;
    }
    return entry.text;
}

std::string LineSink::Line(std::size_t index) const {
    std::size_t skip = skip_;
    for (const Entry& entry : entries_) {
        const std::size_t lines = entry.count - skip;
        if (index < lines) {
            return Expand(entry, skip + index);
        }
        index -= lines;
        skip = 0;
    }
    return {};
}

std::vector<std::string> LineSink::Lines() const {
    std::vector<std::string> out;
    out.reserve(lineCount_);
    std::size_t skip = skip_;
    for (const Entry& entry : entries_) {
        for (std::size_t i = skip; i < entry.count; ++i) {
            out.push_back(Expand(entry, i));
        }
        skip = 0;
    }
    return out;
}

std::string LineSink::LastLine() const {
    if (entries_.empty()) {
        return {};
    }
    const Entry& last = entries_.back();
    return Expand(last, last.count - 1u);
}

}  // namespace varlo
