#include "recording/TableTextFile.h"

#include <QFile>
#include <algorithm>
#include <memory>
#include <vector>

#include "recording/Cp1252.h"
#include "recording/ReadingLog.h"
#include "recording/SafeFileWriter.h"
#include "recording/TableText.h"
#include "recording/TableTextFormat.h"

namespace varlo {

namespace {

constexpr std::size_t kWriteChunkBytes = 64 * 1024;
constexpr std::size_t kReadChunkBytes = 64 * 1024;

// Turns the lines of the file into rows of the log.
class RowReader {
  public:
    explicit RowReader(ReadingLog& log) : log_(log) {}

    bool Line(std::string_view line) {
        if (firstLine_) {  // the header, or whatever stands in its place
            firstLine_ = false;
            return true;
        }
        const std::size_t count =
            SplitTableFields(line, fields_, static_cast<std::size_t>(ReadingLog::kColumnCount));
        if (count == 0) return true;
        if (count > static_cast<std::size_t>(ReadingLog::kColumnCount)) return false;
        const std::size_t row = log_.AppendRow();
        for (std::size_t i = 0; i < count; ++i) {
            const int column = static_cast<int>(i);
            if (ReadingLog::IsIntegerColumn(column)) {
                std::optional<std::int32_t> value;
                if (!ParseTableInteger(fields_[i], value)) return false;
                log_.SetInt(row, column, value);
            } else {
                text_.clear();
                AppendCp1252AsUtf8(fields_[i], text_);
                log_.SetText(row, column, text_);
            }
        }
        return true;
    }

  private:
    ReadingLog& log_;
    bool firstLine_ = true;
    std::vector<std::string> fields_;
    std::string text_;
};

}  // namespace

bool WriteTableText(const ReadingLog& log, const std::string& path, std::string* refusal) {
    SafeFileWriter writer(path);
    if (!writer.Open()) {
        if (refusal) *refusal = writer.Refusal();
        return false;
    }
    return WriteTableText(log, *writer.Device()) && writer.Commit();
}

bool WriteTableText(const ReadingLog& log, QIODevice& device) {
    const auto write = [&](const std::string& bytes) {
        const auto size = static_cast<qint64>(bytes.size());
        return device.write(bytes.data(), size) == size;
    };
    std::string chunk = FormatTableHeader();
    chunk.reserve(std::min<std::size_t>(kWriteChunkBytes, 64 * (log.RowCount() + 1)) + 1024);
    for (std::size_t row = 0; row < log.RowCount(); ++row) {
        AppendTableRow(log, row, chunk);
        if (chunk.size() >= kWriteChunkBytes) {
            if (!write(chunk)) return false;
            chunk.clear();
        }
    }
    return write(chunk);
}

bool ReadTableText(const std::string& path, ReadingLog& log) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) && ReadTableText(file, log);
}

bool ReadTableText(QIODevice& file, ReadingLog& log) {
    RowReader rows(log);
    const auto buffer = std::make_unique_for_overwrite<char[]>(kReadChunkBytes);
    std::string carry;     // the start of a line that runs into the next chunk
    bool afterCr = false;  // the last line ended at a CR; a LF next belongs to it
    bool anyByte = false;
    while (true) {
        const qint64 got = file.read(buffer.get(), static_cast<qint64>(kReadChunkBytes));
        if (got < 0) return false;
        if (got == 0) break;
        anyByte = true;
        std::string_view data(buffer.get(), static_cast<std::size_t>(got));
        if (afterCr && data.front() == '\n') data.remove_prefix(1);
        afterCr = false;
        while (!data.empty()) {
            const std::size_t end = data.find_first_of("\r\n");
            if (end == std::string_view::npos) {
                if (carry.size() + data.size() > kMaxTableLineBytes) return false;
                carry.append(data);
                break;
            }
            std::string_view line = data.substr(0, end);
            if (!carry.empty()) {
                if (carry.size() + line.size() > kMaxTableLineBytes) return false;
                carry.append(line);
                line = carry;
            } else if (line.size() > kMaxTableLineBytes) {
                return false;
            }
            if (!rows.Line(line)) return false;
            carry.clear();
            std::size_t next = end + 1;
            if (data[end] == '\r') {
                if (next < data.size()) {
                    if (data[next] == '\n') ++next;
                } else {
                    afterCr = true;
                }
            }
            data.remove_prefix(next);
        }
    }
    if (!carry.empty() && !rows.Line(carry)) return false;
    if (!anyByte) return false;  // no first line to drop
    return true;
}

}  // namespace varlo
