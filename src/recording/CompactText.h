#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace varlo {

// The separators that compact texts of one reading log use: the decimal
// separator between the digits of a value and the time separator of a time
// stamp, whatever the locale makes them. A cell names its separator by its
// place here, in 2 bits, so a log holds at most four.
class SeparatorTable {
  public:
    static constexpr std::size_t kCapacity = 4;
    static constexpr std::size_t kMaxBytes = 4;

    // Whether `text` may become a separator: 1 to kMaxBytes bytes, none of
    // them an ASCII letter or digit, a sign, a blank or a control character.
    // Texts made of letters and blanks ("DC", "&  *") thus never fill the
    // table.
    static bool Admissible(std::string_view text);

    // The place of `text`, or -1.
    int Find(std::string_view text) const;
    // The place of the separator among ours that `text` begins with, or -1.
    int FindPrefixOf(std::string_view text) const;
    // Adds an admissible text and returns its place; -1 when full.
    int Add(std::string_view text);
    std::string_view At(int place) const {
        const auto i = static_cast<std::size_t>(place);
        return {bytes_[i].data(), lengths_[i]};
    }
    std::size_t Size() const { return size_; }
    void TruncateTo(std::size_t size) {
        if (size < size_) size_ = size;
    }
    void Clear() { size_ = 0; }

  private:
    std::array<std::array<char, kMaxBytes>, kCapacity> bytes_{};
    std::array<std::uint8_t, kCapacity> lengths_{};
    std::size_t size_ = 0;
};

// A text of a log column in one 32-bit cell. Two shapes of text that the
// meter's readings take millions of times over are held in the cell itself,
// byte for byte:
//
// - a number: an optional leading "-", then up to five digit characters
//   ("0" to "9", or the "L" of an overload) with at most one separator in
//   each gap before, between and after them, the same separator throughout:
//   "12.345", "-0.001", "0L", "-0L.", ".0L", "736.7.8", "1,234", "" and "-".
// - a time of day "hh:mm:ss", 00:00:00 to 23:59:59, with one separator for
//   both colons.
//
// Cell values: 0 is no value (null); below 2^31 the id + 1 of a text kept in
// the column's dictionary; from 2^31 on a compact text:
//   10 | sign:1 | separator:2 | digit count:3 | digits:18 (base 11) | gaps:6
//   11 | 0:11 | separator:2 | seconds of the day:17
namespace compact_text {

inline constexpr std::uint32_t kNull = 0;
inline constexpr std::uint32_t kCompactBit = 0x80000000u;
// The longest text a compact cell holds: sign, five digits, six separators.
inline constexpr std::size_t kMaxBytes = 1 + 5 + 6 * SeparatorTable::kMaxBytes;

inline bool IsCompact(std::uint32_t cell) {
    return (cell & kCompactBit) != 0;
}

// The compact cell that gives back `text` exactly, or nullopt. A separator
// not yet in the table is added to it, only when the text then fits and
// holds a digit.
std::optional<std::uint32_t> Encode(std::string_view text, SeparatorTable& separators);

// Writes the text of a compact cell to `out` (room for kMaxBytes) and
// returns its length in bytes.
std::size_t Decode(std::uint32_t cell, const SeparatorTable& separators, char* out);

}  // namespace compact_text

}  // namespace varlo
