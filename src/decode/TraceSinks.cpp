#include "decode/TraceSinks.h"

#include "decode/Nibble.h"

namespace varlo {

std::string BuildFrameBits(std::string_view frameText, int lastPosition) {
    std::string bits;
    bits.reserve(48);
    int value = 0;
    for (int pos = 2; pos <= lastPosition; ++pos) {
        if (static_cast<std::size_t>(pos) <= frameText.size()) {
            value = NibbleValue(frameText[pos - 1]);
            if (value < 0) {
                value = 0;
            }
        }
        for (int bit = 3; bit >= 0; --bit) {
            bits.push_back(((value >> bit) & 1) ? '1' : '0');
        }
    }
    return bits;
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
