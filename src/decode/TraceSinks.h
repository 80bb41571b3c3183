#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// A one-line caption (the USBtxt label).
class CaptionSink {
  public:
    void Set(std::string_view text) { text_.assign(text); }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

// A list of trace lines that keeps only the newest kMaxLines. The decoder
// writes a dozen lines per frame; to keep that cheap, an entry may stand for
// several lines that are formed only when they are read.
class LineSink {
  public:
    static constexpr std::size_t kMaxLines = 1000;

    void Add(std::string_view line);
    // The bit texts of a frame, one line per frame position 2..13, each
    // holding the bits of all positions up to that one.
    void AddFrameBitsProgression(std::string_view frameText);
    // The same line `count` times.
    void AddRepeated(std::string_view line, int count);
    void Clear();

    std::size_t LineCount() const { return lineCount_; }
    std::string Line(std::size_t index) const;
    std::vector<std::string> Lines() const;
    std::string LastLine() const;
    // Index of the selected line, -1 when none (a list box selects the line
    // it has just added).
    long SelectedIndex() const { return selected_ ? static_cast<long>(lineCount_) - 1 : -1; }
    void SelectLast() { selected_ = lineCount_ > 0; }
    // Lines ever added, including those no longer kept.
    std::uint64_t TotalAdded() const { return totalAdded_; }

  private:
    enum class Kind : std::uint8_t { Text, FrameBits, Repeated };
    struct Entry {
        std::string text;
        Kind kind;
        std::uint16_t count;
    };
    void Push(Entry entry);
    static std::string Expand(const Entry& entry, std::size_t lineInEntry);

    std::deque<Entry> entries_;
    std::size_t skip_ = 0;  // lines of entries_.front() already dropped
    std::size_t lineCount_ = 0;
    std::uint64_t totalAdded_ = 0;
    bool selected_ = false;
};

// The diagnostic traces that frame assembly and decoding write.
struct TraceSinks {
    CaptionSink USBtxt;
    LineSink HistoryListBox;
    LineSink Memo1;
    LineSink Memo2;
};

// The 48 bits of frame positions 2..13, four per position, most significant
// first. A position past the end of the frame repeats the one before it.
std::string BuildFrameBits(std::string_view frameText, int lastPosition = 13);
// The same into `bits`, whose storage is reused from frame to frame.
void BuildFrameBits(std::string_view frameText, std::string& bits, int lastPosition = 13);

}  // namespace varlo
