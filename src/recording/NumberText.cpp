#include "recording/NumberText.h"

#include <charconv>
#include <string>

namespace varlo {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::int32_t> ParseDigits(std::string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    for (char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
    }
    std::string text = negative ? "-" : "";
    text += digits;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return ParseDigits(text, false);
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    return ParseDigits(text, negative);
}

std::optional<double> ParseLocaleFloat(std::string_view text, std::string_view decimalSeparator) {
    auto isBlank = [](char c) { return c == ' '; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);

    // Rewrite into the C form that from_chars reads, checking the grammar
    // on the way.
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    int digits = 0;
    bool separatorSeen = false;
    while (i < text.size()) {
        if (IsDigit(text[i])) {
            plain += text[i++];
            ++digits;
        } else if (!separatorSeen && !decimalSeparator.empty() &&
                   text.substr(i, decimalSeparator.size()) == decimalSeparator) {
            plain += '.';
            i += decimalSeparator.size();
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        int exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            plain += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;

    double value = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    return value;
}

}  // namespace varlo
