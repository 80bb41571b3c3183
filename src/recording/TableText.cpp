#include "recording/TableText.h"

#include <charconv>
#include <limits>

#include "recording/Cp1252.h"

namespace varlo {

namespace {

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

std::string_view TrimTableText(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsTrimmed(text[first])) ++first;
    while (last > first && IsTrimmed(text[last - 1])) --last;
    return text.substr(first, last - first);
}

void AppendTableTextField(std::string_view utf8, std::string& out) {
    const std::string_view trimmed = TrimTableText(utf8);
    if (trimmed.empty()) {
        out += kTableNullField;
        return;
    }
    std::string flattened;
    std::string_view field = trimmed;
    if (field.find_first_of("\r\n") != std::string_view::npos) {
        // A line break would end the line at the next load and spoil the
        // rows after it; it is written as a blank.
        flattened.assign(field);
        for (char& c : flattened) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        field = flattened;
    }
    const bool quoted = field.front() == '"' || field.find('\t') != std::string_view::npos;
    if (!quoted) {
        AppendUtf8AsCp1252(field, out);
        return;
    }
    out.push_back('"');
    std::size_t start = 0;
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos;
         quote = field.find('"', start)) {
        AppendUtf8AsCp1252(field.substr(start, quote + 1 - start), out);
        out.push_back('"');
        start = quote + 1;
    }
    AppendUtf8AsCp1252(field.substr(start), out);
    out.push_back('"');
}

void AppendTableIntegerField(std::optional<std::int32_t> value, std::string& out) {
    if (!value) return;
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, *value);
    out.append(digits, result.ptr);
}

std::size_t SplitTableFields(std::string_view line, std::vector<std::string>& fields,
                             std::size_t maxFields) {
    std::size_t count = 0;
    if (line.empty()) {
        fields.resize(0);
        return 0;
    }
    std::size_t pos = 0;
    while (true) {
        if (count == fields.size()) fields.emplace_back();
        std::string& field = fields[count];
        field.clear();
        ++count;
        if (pos < line.size() && line[pos] == '"') {
            // Quoted: up to the matching closing quote, "" standing for one.
            ++pos;
            bool closed = false;
            while (pos < line.size()) {
                const std::size_t quote = line.find('"', pos);
                if (quote == std::string_view::npos) {
                    field.append(line.substr(pos));
                    pos = line.size();
                    break;
                }
                field.append(line.substr(pos, quote - pos));
                if (quote + 1 < line.size() && line[quote + 1] == '"') {
                    field.push_back('"');
                    pos = quote + 2;
                } else {
                    pos = quote + 1;
                    closed = true;
                    break;
                }
            }
            if (!closed) break;  // runs to the end of the line
        }
        const std::size_t tab = line.find('\t', pos);
        if (tab == std::string_view::npos) {
            field.append(line.substr(pos));
            break;
        }
        field.append(line.substr(pos, tab - pos));
        pos = tab + 1;
        if (count > maxFields) break;
    }
    fields.resize(count);
    return count;
}

bool ParseTableInteger(std::string_view text, std::optional<std::int32_t>& value) {
    if (text.empty()) {
        value.reset();
        return true;
    }
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max()) return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

}  // namespace varlo
