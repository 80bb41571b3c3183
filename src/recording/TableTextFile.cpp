#include "recording/TableTextFile.h"

#include <QFile>
#include <algorithm>
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

class TextWriter : public TableRowWriter {
  public:
    TextWriter(const ReadingLog& log, std::size_t rows, QIODevice& device)
        : log_(log), rows_(rows), device_(device) {}

    TableStep Write(const StepDeadline& deadline) override {
        if (state_ != TableStep::More) return state_;
        if (!started_) {
            started_ = true;
            chunk_ = FormatTableHeader();
            chunk_.reserve(std::min<std::size_t>(kWriteChunkBytes, 64 * (rows_ + 1)) + 1024);
        }
        while (next_ < rows_) {
            const std::size_t end = std::min(rows_, next_ + kRowsPerDeadlineCheck);
            for (; next_ < end; ++next_) {
                AppendTableRow(log_, next_, chunk_);
                if (chunk_.size() >= kWriteChunkBytes && !Flush())
                    return state_ = TableStep::Failed;
            }
            if (next_ < rows_ && deadline.Passed()) return TableStep::More;
        }
        return state_ = Flush() ? TableStep::Done : TableStep::Failed;
    }

    std::size_t RowsWritten() const override { return next_; }

  private:
    bool Flush() {
        const auto size = static_cast<qint64>(chunk_.size());
        const bool ok = device_.write(chunk_.data(), size) == size;
        chunk_.clear();
        return ok;
    }

    const ReadingLog& log_;
    const std::size_t rows_;
    QIODevice& device_;
    std::string chunk_;
    std::size_t next_ = 0;
    bool started_ = false;
    TableStep state_ = TableStep::More;
};

class TextReader : public TableRowReader {
  public:
    TextReader(QIODevice& device, ReadingLog& log)
        : device_(device),
          rows_(log),
          buffer_(std::make_unique_for_overwrite<char[]>(kReadChunkBytes)) {}

    TableStep Read(const StepDeadline& deadline) override {
        while (state_ == TableStep::More) {
            state_ = ReadChunk();
            if (deadline.Passed()) break;
        }
        return state_;
    }

  private:
    // Reads one piece of the device and turns its whole lines into rows.
    TableStep ReadChunk() {
        const qint64 got = device_.read(buffer_.get(), static_cast<qint64>(kReadChunkBytes));
        if (got < 0) return TableStep::Failed;
        if (got == 0) return AtEnd();
        anyByte_ = true;
        std::string_view data(buffer_.get(), static_cast<std::size_t>(got));
        if (afterCr_ && data.front() == '\n') data.remove_prefix(1);
        afterCr_ = false;
        while (!data.empty()) {
            const std::size_t end = data.find_first_of("\r\n");
            if (end == std::string_view::npos) {
                if (carry_.size() + data.size() > kMaxTableLineBytes) return TableStep::Failed;
                carry_.append(data);
                break;
            }
            std::string_view line = data.substr(0, end);
            if (!carry_.empty()) {
                if (carry_.size() + line.size() > kMaxTableLineBytes) return TableStep::Failed;
                carry_.append(line);
                line = carry_;
            } else if (line.size() > kMaxTableLineBytes) {
                return TableStep::Failed;
            }
            if (!rows_.Line(line)) return TableStep::Failed;
            carry_.clear();
            std::size_t next = end + 1;
            if (data[end] == '\r') {
                if (next < data.size()) {
                    if (data[next] == '\n') ++next;
                } else {
                    afterCr_ = true;
                }
            }
            data.remove_prefix(next);
        }
        return TableStep::More;
    }

    TableStep AtEnd() {
        if (!carry_.empty() && !rows_.Line(carry_)) return TableStep::Failed;
        // An empty input has no first line to drop.
        return anyByte_ ? TableStep::Done : TableStep::Failed;
    }

    QIODevice& device_;
    RowReader rows_;
    std::unique_ptr<char[]> buffer_;
    std::string carry_;     // the start of a line that runs into the next piece
    bool afterCr_ = false;  // the last line ended at a CR; a LF next belongs to it
    bool anyByte_ = false;
    TableStep state_ = TableStep::More;
};

}  // namespace

std::unique_ptr<TableRowWriter> MakeTableTextWriter(const ReadingLog& log, std::size_t rows,
                                                    QIODevice& device) {
    return std::make_unique<TextWriter>(log, std::min(rows, log.RowCount()), device);
}

std::unique_ptr<TableRowReader> MakeTableTextReader(QIODevice& device, ReadingLog& log) {
    return std::make_unique<TextReader>(device, log);
}

bool WriteTableText(const ReadingLog& log, const std::string& path, std::string* refusal) {
    SafeFileWriter writer(path);
    if (!writer.Open()) {
        if (refusal) *refusal = writer.Refusal();
        return false;
    }
    return WriteTableText(log, *writer.Device()) && writer.Commit();
}

bool WriteTableText(const ReadingLog& log, QIODevice& device) {
    return RunToEnd(*MakeTableTextWriter(log, log.RowCount(), device));
}

bool ReadTableText(const std::string& path, ReadingLog& log) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) && ReadTableText(file, log);
}

bool ReadTableText(QIODevice& device, ReadingLog& log) {
    return RunToEnd(*MakeTableTextReader(device, log));
}

}  // namespace varlo
