#include "recording/CompactText.h"

#include <cstring>

namespace varlo {

bool SeparatorTable::Admissible(std::string_view text) {
    if (text.empty() || text.size() > kMaxBytes) return false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool letterOrDigit = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                                   (byte >= 'a' && byte <= 'z');
        if (letterOrDigit || byte <= 0x20 || byte == 0x7F || byte == '-' || byte == '+') {
            return false;
        }
    }
    return true;
}

int SeparatorTable::Find(std::string_view text) const {
    for (std::size_t i = 0; i < size_; ++i) {
        if (At(static_cast<int>(i)) == text) return static_cast<int>(i);
    }
    return -1;
}

int SeparatorTable::FindPrefixOf(std::string_view text) const {
    for (std::size_t i = 0; i < size_; ++i) {
        if (text.starts_with(At(static_cast<int>(i)))) return static_cast<int>(i);
    }
    return -1;
}

int SeparatorTable::Add(std::string_view text) {
    if (size_ == kCapacity || !Admissible(text)) return -1;
    std::memcpy(bytes_[size_].data(), text.data(), text.size());
    lengths_[size_] = static_cast<std::uint8_t>(text.size());
    return static_cast<int>(size_++);
}

namespace compact_text {

namespace {

constexpr std::uint32_t kTimeBit = 0x40000000u;
constexpr std::uint32_t kMaxDigits = 5;
constexpr std::uint32_t kDigitBase = 11;  // "0" to "9" and "L"

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A character that counts as a digit of a number: a decimal digit or the
// "L" of an overload ("0L").
bool IsNumberDigit(char c) {
    return IsDigit(c) || c == 'L';
}

int TwoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

std::optional<std::uint32_t> EncodeTime(std::string_view text, SeparatorTable& separators) {
    if (text.size() < 8 || !IsDigit(text[0]) || !IsDigit(text[1])) return std::nullopt;
    std::size_t length = 0;
    while (2 + length < text.size() && !IsDigit(text[2 + length])) ++length;
    if (length == 0 || length > SeparatorTable::kMaxBytes || text.size() != 6 + 2 * length) {
        return std::nullopt;
    }
    const std::string_view separator = text.substr(2, length);
    const std::size_t minute = 2 + length, second = 4 + 2 * length;
    if (!IsDigit(text[minute]) || !IsDigit(text[minute + 1]) ||
        text.substr(minute + 2, length) != separator || !IsDigit(text[second]) ||
        !IsDigit(text[second + 1])) {
        return std::nullopt;
    }
    const int h = TwoDigits(text, 0), m = TwoDigits(text, minute), s = TwoDigits(text, second);
    if (h > 23 || m > 59 || s > 59) return std::nullopt;
    int place = separators.Find(separator);
    if (place < 0) place = separators.Add(separator);
    if (place < 0) return std::nullopt;
    return kCompactBit | kTimeBit | (static_cast<std::uint32_t>(place) << 17) |
           static_cast<std::uint32_t>(h * 3600 + m * 60 + s);
}

std::optional<std::uint32_t> EncodeNumber(std::string_view text, SeparatorTable& separators) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    std::uint32_t digits = 0, count = 0, gaps = 0;
    int place = -1;
    std::string_view separator;
    bool newSeparator = false, decimalDigit = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsNumberDigit(c)) {
            if (count == kMaxDigits) return std::nullopt;
            digits = digits * kDigitBase + (c == 'L' ? 10u : static_cast<std::uint32_t>(c - '0'));
            decimalDigit |= c != 'L';
            ++count;
            ++i;
            continue;
        }
        if (gaps & (1u << count)) return std::nullopt;  // one separator per gap
        const std::string_view rest = text.substr(i);
        if (separator.empty()) {
            place = separators.FindPrefixOf(rest);
            if (place >= 0) {
                separator = separators.At(place);
            } else {
                // A new separator: everything up to the next digit.
                std::size_t end = i;
                while (end < text.size() && !IsNumberDigit(text[end])) ++end;
                separator = text.substr(i, end - i);
                if (!SeparatorTable::Admissible(separator)) return std::nullopt;
                newSeparator = true;
            }
        } else if (!rest.starts_with(separator)) {
            return std::nullopt;
        }
        gaps |= 1u << count;
        i += separator.size();
    }
    if (newSeparator) {
        if (!decimalDigit) return std::nullopt;
        place = separators.Add(separator);
        if (place < 0) return std::nullopt;
    }
    const std::uint32_t placeBits = place < 0 ? 0u : static_cast<std::uint32_t>(place);
    return kCompactBit | (negative ? 1u << 29 : 0u) | (placeBits << 27) | (count << 24) |
           (digits << 6) | gaps;
}

std::size_t DecodeTime(std::uint32_t cell, const SeparatorTable& separators, char* out) {
    const std::string_view separator = separators.At(static_cast<int>((cell >> 17) & 3u));
    const std::uint32_t seconds = cell & 0x1FFFFu;
    const std::uint32_t parts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
    std::size_t n = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            std::memcpy(out + n, separator.data(), separator.size());
            n += separator.size();
        }
        out[n++] = static_cast<char>('0' + parts[i] / 10);
        out[n++] = static_cast<char>('0' + parts[i] % 10);
    }
    return n;
}

std::size_t DecodeNumber(std::uint32_t cell, const SeparatorTable& separators, char* out) {
    const std::uint32_t count = (cell >> 24) & 7u;
    const std::uint32_t gaps = cell & 0x3Fu;
    std::uint32_t digits = (cell >> 6) & 0x3FFFFu;
    char digitChars[kMaxDigits];
    for (std::uint32_t j = count; j-- > 0;) {
        const std::uint32_t d = digits % kDigitBase;
        digitChars[j] = d == 10 ? 'L' : static_cast<char>('0' + d);
        digits /= kDigitBase;
    }
    const std::string_view separator =
        gaps != 0 ? separators.At(static_cast<int>((cell >> 27) & 3u)) : std::string_view{};
    std::size_t n = 0;
    if (cell & (1u << 29)) out[n++] = '-';
    for (std::uint32_t j = 0; j <= count; ++j) {
        if (gaps & (1u << j)) {
            std::memcpy(out + n, separator.data(), separator.size());
            n += separator.size();
        }
        if (j < count) out[n++] = digitChars[j];
    }
    return n;
}

}  // namespace

std::optional<std::uint32_t> Encode(std::string_view text, SeparatorTable& separators) {
    if (auto time = EncodeTime(text, separators)) return time;
    return EncodeNumber(text, separators);
}

std::size_t Decode(std::uint32_t cell, const SeparatorTable& separators, char* out) {
    return (cell & kTimeBit) ? DecodeTime(cell, separators, out)
                             : DecodeNumber(cell, separators, out);
}

}  // namespace compact_text

}  // namespace varlo
