// Save, load and save again give the same bytes, in both formats and across
// them, whatever texts the log holds: a text saved never grows past the
// column's limit, so the next load cannot cut it.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>

#include "TableTestSupport.h"
#include "common/Utf8.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"

namespace varlo {
namespace {

using Writer = bool (*)(const ReadingLog&, QIODevice&);
using Reader = bool (*)(QIODevice&, ReadingLog&);

std::string Save(const ReadingLog& log, Writer write) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(write(log, buffer));
    return bytes.toStdString();
}

void Load(const std::string& bytes, ReadingLog& log, Reader read) {
    QBuffer buffer;
    buffer.setData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    buffer.open(QIODevice::ReadOnly);
    ASSERT_TRUE(read(buffer, log)) << bytes;
}

const Writer kText = WriteTableText;
const Writer kXml = WriteTableXml;
const Reader kLoadText = ReadTableText;
const Reader kLoadXml = ReadTableXml;

TEST(TableRoundTrip, SaveLoadSaveGivesTheSameBytesInBothFormatsAndAcross) {
    std::string repeated[6];
    const char* const units[] = {"\xE0\x80",         "\x80",        "\xC3\xA9", "\xE4\xB8\xAD",
                                 "\xF0\x9F\x98\x80", "\xED\xA0\x80"};
    const int counts[] = {20, 30, 25, 21, 20, 20};
    for (int i = 0; i < 6; ++i) {
        for (int k = 0; k < counts[i]; ++k) repeated[i] += units[i];
    }
    const std::string texts[] = {
        repeated[0],  // malformed sequences: one "?" per byte once saved as text
        repeated[1],  // stray continuation bytes
        repeated[2],  // é, cut at 20
        repeated[3],  // a character Windows-1252 does not have
        repeated[4],  // beyond 16 bits
        repeated[5],  // an encoded surrogate, malformed
        "ab\xFF\xC3 cd\xC3\xA9\xE2\x82\xAC",
        " \t\"quoted\tfield\" ",
        "line\r\nbreak",
        "",
        std::string("\0z", 2),
    };
    ReadingLog log;
    for (const std::string& text : texts) {
        const std::size_t row = log.AppendRow();
        log.SetInt(row, ReadingLog::kNo, static_cast<std::int32_t>(row));
        for (int column : {ReadingLog::kTime, ReadingLog::kFunction, ReadingLog::kValue,
                           ReadingLog::kUnit, ReadingLog::kAuto}) {
            log.SetText(row, column, text);
            EXPECT_LE(Utf8Length(log.TextView(row, column)), ReadingLog::kMaxTextLength);
        }
        log.SetInt(row, ReadingLog::kNVal, -7);
    }
    log.AppendRow();  // a row of nulls

    const std::string text = Save(log, kText);
    const std::string xml = Save(log, kXml);

    ReadingLog fromText;
    Load(text, fromText, kLoadText);
    EXPECT_EQ(Save(fromText, kText), text);

    ReadingLog fromXml;
    Load(xml, fromXml, kLoadXml);
    EXPECT_EQ(Save(fromXml, kXml), xml);
    EXPECT_EQ(Save(fromXml, kText), text);

    // The text's rows as XML, and back.
    const std::string textAsXml = Save(fromText, kXml);
    ReadingLog again;
    Load(textAsXml, again, kLoadXml);
    EXPECT_EQ(Save(again, kXml), textAsXml);
    EXPECT_EQ(Save(again, kText), text);
}

}  // namespace
}  // namespace varlo
