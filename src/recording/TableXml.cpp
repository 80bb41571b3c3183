#include "recording/TableXml.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>

#include "common/Hex.h"
#include "common/Utf8.h"
#include "recording/Cp1252.h"
#include "recording/ReadingLog.h"
#include "recording/SafeFileWriter.h"
#include "recording/TableText.h"
#include "recording/TableTextFile.h"

namespace varlo {

namespace {

const QString kRoot = QStringLiteral("readingLog");
const QString kVersion = QStringLiteral("1");
const QString kColumns = QStringLiteral("columns");
const QString kColumn = QStringLiteral("column");
const QString kRows = QStringLiteral("rows");
const QString kRow = QStringLiteral("row");
const QString kInt32 = QStringLiteral("int32");
const QString kText = QStringLiteral("text");

constexpr std::string_view kNull = "\\N";
// The writer hands its text to the file in pieces of about this size.
constexpr qsizetype kFlushChars = 512 * 1024;

// The length of the well-formed UTF-8 sequence at text[pos] that XML can
// carry, or 0.
std::size_t XmlCharLength(std::string_view text, std::size_t pos) {
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, pos, cp);
    return length == 0 || cp == 0xFFFE || cp == 0xFFFF ? 0 : length;
}

void AppendEscapedByte(unsigned char b, std::string& out) {
    out += "\\x";
    AppendHexByte(out, b);
}

void AppendEscapedText(std::string_view text, std::string& out) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            const std::size_t length = XmlCharLength(text, pos);
            if (length == 0) {
                AppendEscapedByte(b, out);
                ++pos;
            } else {
                out.append(text.substr(pos, length));
                pos += length;
            }
            continue;
        }
        ++pos;
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (b < 0x20) {
                    AppendEscapedByte(b, out);
                } else {
                    out.push_back(c);
                }
        }
    }
}

void AppendRowText(const ReadingLog& log, std::size_t row, std::string& out) {
    for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
        if (column > 0) out.push_back('\t');
        if (log.IsNull(row, column)) {
            out += kNull;
        } else if (ReadingLog::IsIntegerColumn(column)) {
            AppendTableIntegerField(log.Int(row, column), out);
        } else {
            AppendEscapedText(log.TextView(row, column), out);
        }
    }
}

bool UnescapeText(std::string_view field, std::string& out) {
    out.clear();
    for (std::size_t pos = 0; pos < field.size(); ++pos) {
        if (field[pos] != '\\') {
            out.push_back(field[pos]);
            continue;
        }
        if (++pos == field.size()) return false;
        switch (field[pos]) {
            case '\\':
                out.push_back('\\');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'x': {
                const int value = HexByteValue(field.substr(pos + 1, 2));
                if (value < 0) return false;
                out.push_back(static_cast<char>(value));
                pos += 2;
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

// The reader of one file; every method returns false at the first thing that
// is not the layout.
class XmlTableReader : public TableRowReader {
  public:
    XmlTableReader(QIODevice* device, ReadingLog& log) : device_(device), log_(log) {}

    TableStep Read(const StepDeadline& deadline) override {
        if (state_ == TableStep::More) state_ = Advance(deadline);
        return state_;
    }

  private:
    TableStep Advance(const StepDeadline& deadline) {
        if (!headRead_) {
            headRead_ = true;
            if (!ReadHead()) return TableStep::Failed;
        }
        switch (ReadRows(deadline)) {
            case RowsRead::Some:
                return TableStep::More;
            case RowsRead::All:
                return ReadTail() ? TableStep::Done : TableStep::Failed;
            case RowsRead::Wrong:
                break;
        }
        return TableStep::Failed;
    }

    // Up to the start of <rows>.
    bool ReadHead() {
        if (!NextElement() || xml_.name() != kRoot) return false;
        if (xml_.attributes().value(QStringLiteral("version")) != kVersion) return false;
        if (!NextElement() || xml_.name() != kColumns || !ReadColumns()) return false;
        return NextElement() && xml_.name() == kRows;
    }

    // From </rows> on.
    bool ReadTail() {
        if (!NextEnd()) return false;  // </readingLog>
        // Nothing but comments and blanks may follow, up to the end of the
        // input.
        for (;;) {
            const auto token = Next();
            if (token == QXmlStreamReader::Invalid) return endOfInput_;
            if (token == QXmlStreamReader::EndDocument) return true;
            if (!Skip(token)) return false;
        }
    }

    // No token of the layout comes near this; a longer one (a huge comment,
    // a run of blanks, a row's text) is refused before it is held whole.
    static constexpr qint64 kMaxTokenBytes = 4 * static_cast<qint64>(kMaxTableLineBytes);
    static constexpr qint64 kChunkBytes = 64 * 1024;

    // The next token, the input fed to the reader a piece at a time so that
    // no token can take up more memory than the bound. Invalid at the end of
    // the input (endOfInput_ set), at a token over the bound, or at an error.
    QXmlStreamReader::TokenType Next() {
        for (;;) {
            const auto token = xml_.readNext();
            if (token != QXmlStreamReader::Invalid ||
                xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
                bytesSinceToken_ = 0;
                return token;
            }
            if (device_->atEnd()) {
                endOfInput_ = true;
                return token;
            }
            if (bytesSinceToken_ > kMaxTokenBytes) return QXmlStreamReader::Invalid;
            const QByteArray chunk = device_->read(kChunkBytes);
            if (chunk.isEmpty()) {
                endOfInput_ = true;
                return token;
            }
            bytesSinceToken_ += chunk.size();
            xml_.addData(chunk);
        }
    }

    // Tokens that carry nothing. A DTD, and with it any entity declaration,
    // is refused outright, as is an entity reference.
    bool Skip(QXmlStreamReader::TokenType token) {
        switch (token) {
            case QXmlStreamReader::StartDocument:
            case QXmlStreamReader::EndDocument:
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                return true;
            case QXmlStreamReader::Characters:
                return xml_.isWhitespace();
            default:
                return false;
        }
    }

    // Moves to the next start element; false at anything else.
    bool NextElement() {
        for (;;) {
            const auto token = Next();
            if (token == QXmlStreamReader::StartElement) return true;
            if (!Skip(token)) return false;
        }
    }

    // Moves to the next end element; false at anything else.
    bool NextEnd() {
        for (;;) {
            const auto token = Next();
            if (token == QXmlStreamReader::EndElement) return true;
            if (!Skip(token)) return false;
        }
    }

    bool ReadColumns() {
        for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
            if (!NextElement() || xml_.name() != kColumn) return false;
            const auto attributes = xml_.attributes();
            const QString name = attributes.value(QStringLiteral("name")).toString();
            if (ReadingLog::ColumnIndex(name.toStdString()) != column) return false;
            const bool integer = ReadingLog::IsIntegerColumn(column);
            if (attributes.value(QStringLiteral("type")) != (integer ? kInt32 : kText)) {
                return false;
            }
            if (!NextEnd()) return false;  // </column>
        }
        return NextEnd();  // </columns>
    }

    enum class RowsRead { Some, All, Wrong };

    // Rows until </rows> or the deadline, which is looked at every so many
    // rows or tokens between them (blanks, comments).
    RowsRead ReadRows(const StepDeadline& deadline) {
        for (std::size_t pieces = 1;; ++pieces) {
            const auto token = Next();
            if (token == QXmlStreamReader::EndElement) return RowsRead::All;  // </rows>
            if (token == QXmlStreamReader::StartElement) {
                if (xml_.name() != kRow || !xml_.attributes().isEmpty() || !ReadRow()) {
                    return RowsRead::Wrong;
                }
            } else if (!Skip(token)) {
                return RowsRead::Wrong;
            }
            if (pieces % kRowsPerDeadlineCheck == 0 && deadline.Passed()) return RowsRead::Some;
        }
    }

    // The row's text, up to its end element, then its fields.
    bool ReadRow() {
        content_.clear();
        while (true) {
            const auto token = Next();
            if (token == QXmlStreamReader::EndElement) break;
            if (token != QXmlStreamReader::Characters) return false;
            content_ += xml_.text();
            // No real row comes near this; a hostile one is refused before it
            // can take up memory.
            if (static_cast<std::size_t>(content_.size()) > kMaxTableLineBytes) return false;
        }
        const QByteArray utf8 = content_.toUtf8();
        std::string_view rest(utf8.constData(), static_cast<std::size_t>(utf8.size()));
        const std::size_t row = log_.AppendRow();
        for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
            const std::size_t tab = rest.find('\t');
            const bool last = column + 1 == ReadingLog::kColumnCount;
            if (last != (tab == std::string_view::npos)) return false;  // not seven fields
            const std::string_view field = last ? rest : rest.substr(0, tab);
            if (!last) rest.remove_prefix(tab + 1);
            if (field == kNull) continue;
            if (ReadingLog::IsIntegerColumn(column)) {
                std::optional<std::int32_t> value;
                if (field.empty() || !ParseTableInteger(field, value)) return false;
                log_.SetInt(row, column, value);
            } else {
                if (!UnescapeText(field, text_)) return false;
                log_.SetText(row, column, text_);
            }
        }
        return true;
    }

    QIODevice* device_;
    QXmlStreamReader xml_;
    qint64 bytesSinceToken_ = 0;
    bool endOfInput_ = false;
    ReadingLog& log_;
    QString content_;
    std::string text_;
    bool headRead_ = false;
    TableStep state_ = TableStep::More;
};

class XmlWriter : public TableRowWriter {
  public:
    XmlWriter(const ReadingLog& log, std::size_t rows, QIODevice& device)
        : log_(log), rows_(rows), device_(device), xml_(&buffer_) {}

    TableStep Write(const StepDeadline& deadline) override {
        if (state_ != TableStep::More) return state_;
        if (!started_) {
            started_ = true;
            WriteHead();
        }
        while (next_ < rows_) {
            const std::size_t end = std::min(rows_, next_ + kRowsPerDeadlineCheck);
            for (; next_ < end; ++next_) {
                row_.clear();
                AppendRowText(log_, next_, row_);
                xml_.writeTextElement(
                    kRow, QString::fromUtf8(row_.data(), static_cast<qsizetype>(row_.size())));
            }
            if (buffer_.size() >= kFlushChars && !Flush()) return state_ = TableStep::Failed;
            if (next_ < rows_ && deadline.Passed()) return TableStep::More;
        }
        xml_.writeEndElement();
        xml_.writeEndElement();
        xml_.writeEndDocument();
        return state_ = !xml_.hasError() && Flush() ? TableStep::Done : TableStep::Failed;
    }

    std::size_t RowsWritten() const override { return next_; }

  private:
    void WriteHead() {
        xml_.setAutoFormatting(true);
        xml_.setAutoFormattingIndent(1);
        xml_.writeStartDocument();
        xml_.writeStartElement(kRoot);
        xml_.writeAttribute(QStringLiteral("version"), kVersion);
        xml_.writeStartElement(kColumns);
        for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
            const std::string_view name = ReadingLog::ColumnName(column);
            xml_.writeEmptyElement(kColumn);
            xml_.writeAttribute(
                QStringLiteral("name"),
                QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
            if (ReadingLog::IsIntegerColumn(column)) {
                xml_.writeAttribute(QStringLiteral("type"), kInt32);
            } else {
                xml_.writeAttribute(QStringLiteral("type"), kText);
                xml_.writeAttribute(QStringLiteral("length"),
                                    QString::number(ReadingLog::kMaxTextLength));
            }
        }
        xml_.writeEndElement();
        xml_.writeStartElement(kRows);
    }

    // The writer fills a string that goes to the device in pieces, which is
    // much quicker than letting it write each bit of markup to the device.
    bool Flush() {
        const QByteArray utf8 = buffer_.toUtf8();
        buffer_.clear();
        return device_.write(utf8) == utf8.size();
    }

    const ReadingLog& log_;
    const std::size_t rows_;
    QIODevice& device_;
    QString buffer_;
    QXmlStreamWriter xml_;
    std::string row_;
    std::size_t next_ = 0;
    bool started_ = false;
    TableStep state_ = TableStep::More;
};

}  // namespace

bool WriteTableXml(const ReadingLog& log, const std::string& path, std::string* refusal) {
    SafeFileWriter writer(path);
    if (!writer.Open()) {
        if (refusal) *refusal = writer.Refusal();
        return false;
    }
    return WriteTableXml(log, *writer.Device()) && writer.Commit();
}

bool WriteTableXml(const ReadingLog& log, QIODevice& device) {
    return RunToEnd(*MakeTableXmlWriter(log, log.RowCount(), device));
}

bool ReadTableXml(const std::string& path, ReadingLog& log) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) && ReadTableXml(file, log);
}

bool ReadTableXml(QIODevice& device, ReadingLog& log) {
    return RunToEnd(*MakeTableXmlReader(device, log));
}

std::unique_ptr<TableRowWriter> MakeTableXmlWriter(const ReadingLog& log, std::size_t rows,
                                                   QIODevice& device) {
    return std::make_unique<XmlWriter>(log, std::min(rows, log.RowCount()), device);
}

std::unique_ptr<TableRowReader> MakeTableXmlReader(QIODevice& device, ReadingLog& log) {
    return std::make_unique<XmlTableReader>(&device, log);
}

}  // namespace varlo
