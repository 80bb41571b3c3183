#include "recording/TableTextFormat.h"

#include "recording/ReadingLog.h"
#include "recording/TableText.h"

namespace varlo {

std::string FormatTableHeader() {
    std::string line(kTableHeaderFields);
    line += kTableLineEnd;
    return line;
}

void AppendTableRow(const ReadingLog& log, std::size_t row, std::string& out) {
    AppendTableIntegerField(log.Int(row, ReadingLog::kNo), out);
    for (const int column : {ReadingLog::kTime, ReadingLog::kFunction, ReadingLog::kValue,
                             ReadingLog::kUnit, ReadingLog::kAuto}) {
        out.push_back('\t');
        AppendTableTextField(log.TextView(row, column), out);
    }
    out += kTableLineEnd;
}

std::string FormatTableRow(const ReadingLog& log, std::size_t row) {
    std::string line;
    AppendTableRow(log, row, line);
    return line;
}

}  // namespace varlo
