#include "platform/HidReportText.h"

#include <cerrno>
#include <cstring>

#include "common/Hex.h"
#include "common/VarloError.h"

namespace varlo {

bool ParseHidReportText(std::string_view line, std::vector<std::uint8_t>& bytes,
                        std::string& reason) {
    bytes.clear();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        const std::string_view word = line.substr(i, j - i);
        const int value = HexByteValue(word);
        if (value < 0) {
            reason = "'" + std::string(word) + "' is not a byte of two hexadecimal digits";
            return false;
        }
        if (bytes.size() > kMaxHidReportDataBytes) {
            reason = "a report holds at most " + std::to_string(kMaxHidReportDataBytes) +
                     " bytes after the report ID";
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
        i = j;
    }
    return true;
}

std::string FormatHidReportText(std::uint8_t reportId, const std::uint8_t* data, std::size_t size) {
    std::string line;
    line.reserve(3 * (size + 1));
    AppendHexByte(line, reportId);
    for (std::size_t k = 0; k < size; ++k) {
        line.push_back(' ');
        AppendHexByte(line, data[k]);
    }
    return line;
}

bool ReadHidTextLine(std::FILE* file, const std::string& name, std::size_t& lineNo,
                     std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') {
        if (line.size() == kMaxHidTextLineBytes) {
            throw VarloError(name + ":" + std::to_string(lineNo + 1) + ": line too long");
        }
        line.push_back(static_cast<char>(c));
    }
    if (c == EOF && std::ferror(file)) throw VarloError(name + ": " + std::strerror(errno));
    if (c == EOF && line.empty()) return false;
    ++lineNo;
    return true;
}

void ReadHidReportText(std::FILE* file, const std::string& name,
                       const std::function<void(std::vector<std::uint8_t>&)>& report) {
    std::string line, reason;
    std::vector<std::uint8_t> bytes;
    std::size_t lineNo = 0;
    while (ReadHidTextLine(file, name, lineNo, line)) {
        if (!ParseHidReportText(line, bytes, reason)) {
            throw VarloError(name + ":" + std::to_string(lineNo) + ": " + reason);
        }
        if (!bytes.empty()) report(bytes);
    }
}

}  // namespace varlo
