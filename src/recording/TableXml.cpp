#include "recording/TableXml.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <array>

#include "recording/ReadingLog.h"
#include "recording/SafeFileWriter.h"
#include "recording/TableText.h"

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

const std::array<QString, ReadingLog::kColumnCount> kPlain = {
    QStringLiteral("c0"), QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3"),
    QStringLiteral("c4"), QStringLiteral("c5"), QStringLiteral("c6")};
const std::array<QString, ReadingLog::kColumnCount> kHex = {
    QStringLiteral("x0"), QStringLiteral("x1"), QStringLiteral("x2"), QStringLiteral("x3"),
    QStringLiteral("x4"), QStringLiteral("x5"), QStringLiteral("x6")};

// XML 1.0 has no way to carry these, not even as character references.
bool NeedsHex(std::string_view utf8) {
    bool nonAscii = false;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') return true;
        if (b >= 0x80) nonAscii = true;
    }
    if (!nonAscii) return false;
    if (utf8.find("\xEF\xBF\xBE") != std::string_view::npos ||
        utf8.find("\xEF\xBF\xBF") != std::string_view::npos) {
        return true;
    }
    // Malformed UTF-8 would not come back byte for byte.
    const QByteArray bytes(utf8.data(), static_cast<qsizetype>(utf8.size()));
    return QString::fromUtf8(bytes).toUtf8() != bytes;
}

int HexDigit(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool FromHex(QStringView hex, std::string& out) {
    if (hex.size() % 2 != 0) return false;
    out.clear();
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i].unicode());
        const int low = HexDigit(hex[i + 1].unicode());
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

// An attribute value of ASCII characters only, as a number must be.
bool Latin1(QStringView value, std::string& out) {
    out.clear();
    for (const QChar c : value) {
        if (c.unicode() > 0x7F) return false;
        out.push_back(static_cast<char>(c.unicode()));
    }
    return true;
}

// The reader of one file; every method returns false at the first thing that
// is not the layout.
class XmlTableReader {
  public:
    XmlTableReader(QIODevice* device, ReadingLog& log) : xml_(device), log_(log) {}

    bool Read() {
        if (!NextElement() || xml_.name() != kRoot) return false;
        if (xml_.attributes().value(QStringLiteral("version")) != kVersion) return false;
        if (!NextElement() || xml_.name() != kColumns || !ReadColumns()) return false;
        if (!NextElement() || xml_.name() != kRows || !ReadRows()) return false;
        if (!NextEnd()) return false;  // </readingLog>
        // Nothing but comments and blanks may follow.
        while (!xml_.atEnd()) {
            if (!Skip(xml_.readNext())) return false;
        }
        return !xml_.hasError();
    }

  private:
    // Tokens that carry nothing; false for a DTD, which is refused outright.
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
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement) return true;
            if (!Skip(token)) return false;
        }
        return false;
    }

    // Moves to the next end element; false at anything else.
    bool NextEnd() {
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement) return true;
            if (!Skip(token)) return false;
        }
        return false;
    }

    // Moves to the next start element or the end of the current one.
    bool NextChild(bool& ended) {
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement) {
                ended = false;
                return true;
            }
            if (token == QXmlStreamReader::EndElement) {
                ended = true;
                return true;
            }
            if (!Skip(token)) return false;
        }
        return false;
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

    bool ReadRows() {
        bool ended = false;
        while (NextChild(ended)) {
            if (ended) return true;  // </rows>
            if (xml_.name() != kRow || !ReadRow() || !NextEnd()) return false;
        }
        return false;
    }

    bool ReadRow() {
        const std::size_t row = log_.AppendRow();
        unsigned seen = 0;
        const QXmlStreamAttributes attributes = xml_.attributes();
        for (const QXmlStreamAttribute& attribute : attributes) {
            const QStringView name = attribute.name();
            if (name.size() != 2 || (name[0] != u'c' && name[0] != u'x') ||
                !attribute.namespaceUri().isEmpty()) {
                return false;
            }
            const int column = name[1].unicode() - u'0';
            if (column < 0 || column >= ReadingLog::kColumnCount) return false;
            const unsigned bit = 1u << column;
            if (seen & bit) return false;
            seen |= bit;
            const bool hex = name[0] == u'x';
            if (ReadingLog::IsIntegerColumn(column)) {
                if (hex || !Latin1(attribute.value(), text_)) return false;
                std::optional<std::int32_t> value;
                if (text_.empty() || !ParseTableInteger(text_, value)) return false;
                log_.SetInt(row, column, value);
            } else {
                if (hex) {
                    if (!FromHex(attribute.value(), text_)) return false;
                    log_.SetText(row, column, text_);
                } else {
                    const QByteArray utf8 = attribute.value().toUtf8();
                    log_.SetText(
                        row, column,
                        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
                }
            }
        }
        return true;
    }

    QXmlStreamReader xml_;
    ReadingLog& log_;
    std::string text_;
};

}  // namespace

bool WriteTableXml(const ReadingLog& log, const std::string& path) {
    SafeFileWriter writer(path);
    if (!writer.Open()) return false;
    QXmlStreamWriter xml(writer.Device());
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(kRoot);
    xml.writeAttribute(QStringLiteral("version"), kVersion);
    xml.writeStartElement(kColumns);
    for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
        xml.writeEmptyElement(kColumn);
        xml.writeAttribute(
            QStringLiteral("name"),
            QString::fromUtf8(ReadingLog::ColumnName(column).data(),
                              static_cast<qsizetype>(ReadingLog::ColumnName(column).size())));
        if (ReadingLog::IsIntegerColumn(column)) {
            xml.writeAttribute(QStringLiteral("type"), kInt32);
        } else {
            xml.writeAttribute(QStringLiteral("type"), kText);
            xml.writeAttribute(QStringLiteral("length"),
                               QString::number(ReadingLog::kMaxTextLength));
        }
    }
    xml.writeEndElement();
    xml.writeStartElement(kRows);
    for (std::size_t row = 0; row < log.RowCount(); ++row) {
        xml.writeEmptyElement(kRow);
        for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
            if (log.IsNull(row, column)) continue;
            if (ReadingLog::IsIntegerColumn(column)) {
                xml.writeAttribute(kPlain[column], QString::number(*log.Int(row, column)));
                continue;
            }
            const std::string_view text = log.TextView(row, column);
            const auto size = static_cast<qsizetype>(text.size());
            if (NeedsHex(text)) {
                const QByteArray hex = QByteArray(text.data(), size).toHex();
                xml.writeAttribute(kHex[column], QString::fromLatin1(hex));
            } else {
                xml.writeAttribute(kPlain[column], QString::fromUtf8(text.data(), size));
            }
        }
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError()) return false;
    return writer.Commit();
}

bool ReadTableXml(const std::string& path, ReadingLog& log) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    XmlTableReader reader(&file, log);
    return reader.Read();
}

}  // namespace varlo
