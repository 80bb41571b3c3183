#include <gtest/gtest.h>

#include <limits>

#include "TableTestSupport.h"
#include "TestFiles.h"
#include "recording/TableFiles.h"
#include "recording/TableXml.h"

namespace varlo {
namespace {

using std::nullopt;
using testing::AddRow;
using testing::ReadFile;
using testing::RowsOf;
using testing::RowTexts;
using testing::WriteFile;

const std::string kLoadFailed = "Error: Failed to Load File!";

const std::string kColumns =
    " <columns>\n"
    "  <column name=\"No\" type=\"int32\"/>\n"
    "  <column name=\"time\" type=\"text\" length=\"20\"/>\n"
    "  <column name=\"DC/AC\" type=\"text\" length=\"20\"/>\n"
    "  <column name=\"Value\" type=\"text\" length=\"20\"/>\n"
    "  <column name=\"Unit\" type=\"text\" length=\"20\"/>\n"
    "  <column name=\"Auto\" type=\"text\" length=\"20\"/>\n"
    "  <column name=\"NVal\" type=\"int32\"/>\n"
    " </columns>\n";

std::string Document(const std::string& rows, const std::string& columns = kColumns) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<readingLog version=\"1\">\n" + columns +
           " <rows>\n" + rows + " </rows>\n</readingLog>\n";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

class TableXmlTest : public ::testing::Test {
  protected:
    static void FillVaried(ReadingLog& log) {
        AddRow(log, {"1", "14:03:07", "DC", "00.123", "V", "Pass", "123"});
        AddRow(log, {nullopt, "", nullopt, "<&>\"'", "&  *", "NULL", nullopt});
        AddRow(log, {"-2147483648", "a\tb\r\nc", " x ", "\xC2\xB5\xE2\x84\xA6", "\x01\x1F",
                     std::string("\0z", 2), "2147483647"});
        // C1 controls and a character beyond 16 bits pass as they are; the
        // non-character U+FFFE and malformed UTF-8 travel as escaped bytes.
        AddRow(log, {"0", "\xC2\x81\xC2\x9D", "\xF0\x9F\x98\x80", "\xEF\xBF\xBE", "\xFF\xC3",
                     "\\x41\\", "0"});
    }
    testing::TempDir dir_;
    testing::RecordingDialogs dialogs_;
};

TEST_F(TableXmlTest, RoundTripKeepsEveryColumnNullAndCharacter) {
    ReadingLog log;
    FillVaried(log);
    const std::string path = dir_.File("t.xml");
    ASSERT_TRUE(saveasClick(log, path, dialogs_));
    EXPECT_TRUE(dialogs_.messages.empty());  // no message on success
    const std::string file = ReadFile(path);
    EXPECT_NE(file.find("<column name=\"DC/AC\" type=\"text\" length=\"20\"/>"), std::string::npos);
    EXPECT_NE(file.find("<column name=\"NVal\" type=\"int32\"/>"), std::string::npos);
    EXPECT_NE(file.find("<row>1\t14:03:07\tDC\t00.123\tV\tPass\t123</row>"), std::string::npos);
    EXPECT_NE(file.find("<row>\\N\t\t\\N\t&lt;&amp;&gt;"), std::string::npos);
    EXPECT_NE(file.find("\ta\\tb\\r\\nc\t"), std::string::npos);
    EXPECT_NE(file.find("\t\\x01\\x1F\t\\x00z\t"), std::string::npos);

    ReadingLog loaded;
    ASSERT_TRUE(SpeedButton2Click(loaded, path, dialogs_));
    EXPECT_EQ(RowsOf(loaded), RowsOf(log));
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(TableXmlTest, LoadingReplacesTheRowsAndTellsTheObserverOnce) {
    ReadingLog source;
    FillVaried(source);
    const std::string path = dir_.File("t.xml");
    ASSERT_TRUE(WriteTableXml(source, path));
    ReadingLog emptySource;
    const std::string emptyPath = dir_.File("empty.xml");
    ASSERT_TRUE(WriteTableXml(emptySource, emptyPath));

    ReadingLog log;
    AddRow(log, {"9", "a", "b", "c", "d", "e", "9"});
    testing::CountingObserver observer;
    log.SetObserver(&observer);
    ASSERT_TRUE(SpeedButton2Click(log, path, dialogs_));
    EXPECT_EQ(RowsOf(log), RowsOf(source));
    EXPECT_EQ(observer.resets, 1);
    EXPECT_TRUE(observer.appended.empty());

    ASSERT_TRUE(SpeedButton2Click(log, emptyPath, dialogs_));
    EXPECT_EQ(log.RowCount(), 0u);
    EXPECT_EQ(observer.resets, 2);
}

TEST_F(TableXmlTest, ReadsColumnNamesWithoutRegardToCaseAndSkipsComments) {
    const std::string path = dir_.File("t.xml");
    WriteFile(path, Replace(Document("  <row>4\t\\N\t\\N\t\\N\tV\t\\N\t\\N</row>\n  <?pi x?>\n"
                                     "  <!-- c --><row><![CDATA[\\N\t<a>]]>\t\\N\t\t\t\t7</row>\n",
                                     Replace(kColumns, "\"DC/AC\"", "\"dc/ac\"")),
                            "<readingLog", "<!-- saved by hand -->\n<readingLog"));
    ReadingLog log;
    ASSERT_TRUE(SpeedButton2Click(log, path, dialogs_));
    EXPECT_EQ(RowsOf(log),
              (std::vector<RowTexts>{{"4", nullopt, nullopt, nullopt, "V", nullopt, nullopt},
                                     {nullopt, "<a>", nullopt, "", "", "", "7"}}));
}

TEST_F(TableXmlTest, RefusesAnythingButItsOwnLayoutAndLeavesTheLogAsItWas) {
    const std::string row = "  <row>1\tt\t\\N\t\\N\t\\N\t\\N\t\\N</row>\n";
    const std::string good = Document(row);
    const auto withRow = [&](const std::string& other) { return Replace(good, row, other); };
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"not XML", "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\ta\r\n"},
        {"cut short", good.substr(0, good.size() - 20)},
        {"renamed column", Replace(good, "\"Unit\"", "\"Units\"")},
        {"text column typed int32",
         Replace(good, "\"Value\" type=\"text\"", "\"Value\" type=\"int32\"")},
        {"integer column typed text",
         Replace(good, "\"NVal\" type=\"int32\"", "\"NVal\" type=\"text\"")},
        {"columns swapped",
         Replace(Replace(good, "\"Value\"", "\"TMP\""), "\"Unit\"", "\"Value\"")},
        {"six columns", Replace(good, "  <column name=\"NVal\" type=\"int32\"/>\n", "")},
        {"eight columns",
         Replace(good, " </columns>", "  <column name=\"Extra\" type=\"text\"/>\n </columns>")},
        {"DTD", Replace(good, "<readingLog", "<!DOCTYPE readingLog>\n<readingLog")},
        {"entity declaration",
         Replace(Replace(good, "<readingLog", "<!DOCTYPE r [<!ENTITY e \"boom\">]>\n<readingLog"),
                 "\tt\t", "\t&e;\t")},
        {"external entity",
         Replace(good, "<readingLog",
                 "<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n<readingLog")},
        {"undeclared entity", Replace(good, "\tt\t", "\t&e;\t")},
        {"other root",
         Replace(Replace(good, "<readingLog", "<table"), "</readingLog>", "</table>")},
        {"other version", Replace(good, "version=\"1\"", "version=\"2\"")},
        {"number with a fraction", withRow("<row>1.5\tt\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"number beyond 32 bits", withRow("<row>4294967296\tt\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"empty number", withRow("<row>\tt\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"six fields", withRow("<row>1\tt\t\\N\t\\N\t\\N\t\\N</row>")},
        {"eight fields", withRow("<row>1\tt\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"empty row", withRow("<row/>")},
        {"unknown escape", withRow("<row>1\t\\q\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"escape cut off", withRow("<row>1\tt\\\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"short hex escape", withRow("<row>1\t\\x4\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"bad hex escape", withRow("<row>1\t\\xZZ\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"attribute on a row", withRow("<row n=\"1\">1\tt\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"element in a row", withRow("<row>1\tt\t\\N\t\\N<b/>\t\\N\t\\N\t\\N</row>")},
        {"other element in rows", withRow("<line>1\tt\t\\N\t\\N\t\\N\t\\N\t\\N</line>")},
        {"text between rows", withRow(row + "stray")},
        {"row over 64 KiB",
         withRow("<row>1\t" + std::string(64 * 1024, 'a') + "\t\\N\t\\N\t\\N\t\\N\t\\N</row>")},
        {"second root", good + "<readingLog/>"},
        // Tokens no real file holds are refused before they are held whole.
        {"comment of 2 MiB", withRow(row + "<!--" + std::string(2 << 20, 'c') + "-->")},
        {"text of 2 MiB in a row", withRow("<row>" + std::string(2 << 20, 'a') + "</row>")},
    };
    for (const auto& c : cases) {
        const std::string path = dir_.File("bad.xml");
        WriteFile(path, c.bytes);
        ReadingLog log;
        AddRow(log, {"1", "14:03:07", "DC", "00.123", "V", "Pass", "123"});
        const auto before = RowsOf(log);
        testing::CountingObserver observer;
        log.SetObserver(&observer);
        dialogs_.messages.clear();
        EXPECT_FALSE(SpeedButton2Click(log, path, dialogs_)) << c.what;
        EXPECT_EQ(RowsOf(log), before) << c.what;
        EXPECT_EQ(dialogs_.messages, std::vector<std::string>{kLoadFailed}) << c.what;
        EXPECT_EQ(observer.resets, 0) << c.what;
        EXPECT_TRUE(observer.appended.empty()) << c.what;
    }
    // The same document, unspoilt, loads.
    const std::string path = dir_.File("good.xml");
    WriteFile(path, good);
    ReadingLog log;
    EXPECT_TRUE(SpeedButton2Click(log, path, dialogs_));
    EXPECT_EQ(log.RowCount(), 1u);
}

}  // namespace
}  // namespace varlo
