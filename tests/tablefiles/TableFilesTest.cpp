#include <gtest/gtest.h>

#include <filesystem>

#include "TableTestSupport.h"
#include "TestFiles.h"
#include "recording/SafeFileWriter.h"
#include "recording/TableFiles.h"
#include "recording/TableTextFile.h"

namespace varlo {
namespace {

namespace fs = std::filesystem;
using std::nullopt;
using testing::AddRow;
using testing::ReadFile;
using testing::RowsOf;
using testing::RowTexts;
using testing::WriteFile;

const std::string kHeader = "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n";
const std::string kLoadFailed = "Error: Failed to Load File!";

class TableFilesTest : public ::testing::Test {
  protected:
    void TearDown() override { SetSafeFileFaultForTesting(SafeFileFault::None); }

    // Two recorded rows, the way the recorder fills them.
    static void FillRecorded(ReadingLog& log) {
        AddRow(log, {"1", "14:03:07", "DC", "00.123", "V", "Pass", "123"});
        AddRow(log, {"2", "14:03:08", "", "00.124", "&  *", "Fail", "124"});
    }
    std::string Saved(const std::string& text) const {
        return "save table to specified file: " + text + " Scuss!";
    }
    std::string SaveFailed(const std::string& text) const {
        return "Could not save table to specified file: " + text;
    }

    testing::TempDir dir_;
    testing::RecordingDialogs dialogs_;
};

TEST_F(TableFilesTest, TextSaveIsByteForByteThePartsLayout) {
    ReadingLog empty;
    const std::string emptyPath = dir_.File("empty.txt");
    ASSERT_TRUE(saveasClick(empty, emptyPath, dialogs_));
    EXPECT_EQ(ReadFile(emptyPath), kHeader);

    ReadingLog log;
    FillRecorded(log);
    const std::string path = dir_.File("two.xls");
    ASSERT_TRUE(saveasClick(log, path, dialogs_));
    EXPECT_EQ(ReadFile(path), kHeader +
                                  "1\t14:03:07\tDC\t00.123\tV\tPass\r\n"
                                  "2\t14:03:08\tNULL\t00.124\t&  *\tFail\r\n");
    EXPECT_EQ(dialogs_.messages, (std::vector<std::string>{Saved(emptyPath), Saved(path)}));
}

TEST_F(TableFilesTest, TextRoundTripKeepsEveryFieldInItsColumn) {
    ReadingLog log;
    FillRecorded(log);
    AddRow(log, {nullopt, "a\tb", "\"quoted\" start", "in\"side", "&  *", "NULL", nullopt});
    AddRow(log, {"-5", "\xC3\xA9t\xC3\xA9", "\"", "\"\"", " pad ", nullopt, "9"});
    const std::string path = dir_.File("t.txt");
    ASSERT_TRUE(SaveTableText(log, path, dialogs_));

    ReadingLog loaded;
    ASSERT_TRUE(SpeedButton2Click(loaded, path, dialogs_));
    // NVal is not in the text; an empty DC/AC comes back as "NULL", blanks
    // around a text are trimmed.
    const std::vector<RowTexts> expected = {
        {"1", "14:03:07", "DC", "00.123", "V", "Pass", nullopt},
        {"2", "14:03:08", "NULL", "00.124", "&  *", "Fail", nullopt},
        {nullopt, "a\tb", "\"quoted\" start", "in\"side", "&  *", "NULL", nullopt},
        {"-5", "\xC3\xA9t\xC3\xA9", "\"", "\"\"", "pad", "NULL", nullopt},
    };
    EXPECT_EQ(RowsOf(loaded), expected);
    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{Saved(path)});
}

TEST_F(TableFilesTest, LoadsAFileAsTheWindowsProgramWritesIt) {
    ReadingLog log;
    ASSERT_TRUE(
        SpeedButton2Click(log, VARLO_TEST_DATA "/tablefiles/data/windows_table.xls", dialogs_));
    ASSERT_EQ(log.RowCount(), 6u);
    EXPECT_EQ(testing::RowAt(log, 1),
              (RowTexts{"2", "14:03:08", "NULL", "00.124", "V", "Pass", nullopt}));
    EXPECT_EQ(log.Text(4, ReadingLog::kUnit), "&  *");
    EXPECT_EQ(log.Text(5, ReadingLog::kUnit), "\u00B5V");
    EXPECT_TRUE(dialogs_.messages.empty());
    // Written back, it is the same file byte for byte.
    const std::string path = dir_.File("again.xls");
    ASSERT_TRUE(SaveTableText(log, path, dialogs_));
    EXPECT_EQ(ReadFile(path), ReadFile(VARLO_TEST_DATA "/tablefiles/data/windows_table.xls"));
}

TEST_F(TableFilesTest, TextLoadAppendsDropsTheFirstLineAndKeepsTheFilesNumbers) {
    const std::string path = dir_.File("t.txt");
    // The first line is a data row, and is lost; line ends of every kind; a
    // line without fields is skipped; a seventh field fills NVal.
    WriteFile(path, "7\tlost\r\n8\ta\tb\tc\td\te\r11\tcr\n\n9\tx\t\t\t\t\t42\r\n10\tlast");
    ReadingLog log;
    AddRow(log, {"1", "a", "b", "c", "d", "e", "1"});
    AddRow(log, {"2", "a", "b", "c", "d", "e", "2"});
    AddRow(log, {"3", "a", "b", "c", "d", "e", "3"});
    const auto before = RowsOf(log);
    testing::CountingObserver observer;
    log.SetObserver(&observer);
    ASSERT_TRUE(SpeedButton2Click(log, path, dialogs_));
    ASSERT_TRUE(SpeedButton2Click(log, path, dialogs_));

    const std::vector<RowTexts> fileRows = {
        {"8", "a", "b", "c", "d", "e", nullopt},
        {"11", "cr", nullopt, nullopt, nullopt, nullopt, nullopt},
        {"9", "x", "", "", "", "", "42"},
        {"10", "last", nullopt, nullopt, nullopt, nullopt, nullopt},
    };
    auto expected = before;
    expected.insert(expected.end(), fileRows.begin(), fileRows.end());
    expected.insert(expected.end(), fileRows.begin(), fileRows.end());
    EXPECT_EQ(RowsOf(log), expected);
    EXPECT_EQ(observer.appended,
              (std::vector<std::pair<std::size_t, std::size_t>>{{3, 6}, {7, 10}}));
    EXPECT_EQ(observer.resets, 0);
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(TableFilesTest, EmptyFirstReplacesTheRows) {
    const std::string path = dir_.File("t.txt");
    WriteFile(path, kHeader + "5\tx\r\n");
    ReadingLog log;
    FillRecorded(log);
    testing::CountingObserver observer;
    log.SetObserver(&observer);
    ASSERT_TRUE(LoadTableFile(path, log, true, dialogs_));
    EXPECT_EQ(RowsOf(log),
              (std::vector<RowTexts>{{"5", "x", nullopt, nullopt, nullopt, nullopt, nullopt}}));
    EXPECT_EQ(observer.resets, 1);
    EXPECT_TRUE(observer.appended.empty());
}

TEST_F(TableFilesTest, AFailedTextLoadLeavesTheLogAsItWas) {
    const std::string longLine(kMaxTableLineBytes + 1, 'x');
    const std::string okLine = "1\ta\tb\tc\td\te\r\n";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"text in No", kHeader + okLine + "one\ta\r\n"},
        {"text in NVal", kHeader + okLine + "1\ta\tb\tc\td\te\tf\r\n"},
        {"No beyond 32 bits", kHeader + okLine + "2147483648\ta\r\n"},
        {"blank in No", kHeader + okLine + " 1\ta\r\n"},
        {"eight fields", kHeader + okLine + "1\t2\t3\t4\t5\t6\t7\t8\r\n"},
        {"line over 64 KiB", kHeader + okLine + "1\t" + longLine + "\r\n"},
        {"long last line", kHeader + okLine + longLine},
        {"long header", longLine + "\r\n" + okLine},
    };
    for (const auto& c : cases) {
        const std::string path = dir_.File("bad.txt");
        WriteFile(path, c.bytes);
        ReadingLog log;
        FillRecorded(log);
        const auto before = RowsOf(log);
        testing::CountingObserver observer;
        log.SetObserver(&observer);
        dialogs_.messages.clear();
        EXPECT_FALSE(SpeedButton2Click(log, path, dialogs_)) << c.what;
        EXPECT_FALSE(LoadTableFile(path, log, true, dialogs_)) << c.what;
        EXPECT_EQ(RowsOf(log), before) << c.what;
        EXPECT_EQ(dialogs_.messages, (std::vector<std::string>{kLoadFailed, kLoadFailed}))
            << c.what;
        EXPECT_TRUE(observer.appended.empty()) << c.what;
        EXPECT_EQ(observer.resets, 0) << c.what;
        EXPECT_FALSE(log.NotificationsSuspended()) << c.what;
    }
    // Files that cannot be read at all.
    ReadingLog log;
    FillRecorded(log);
    const auto before = RowsOf(log);
    dialogs_.messages.clear();
    EXPECT_FALSE(SpeedButton2Click(log, dir_.File("missing.txt"), dialogs_));
    EXPECT_FALSE(SpeedButton2Click(log, dir_.Path().string(), dialogs_));
    EXPECT_EQ(RowsOf(log), before);
    EXPECT_EQ(dialogs_.messages, (std::vector<std::string>{kLoadFailed, kLoadFailed}));
}

TEST_F(TableFilesTest, LinesUpToTheLimitLoad) {
    // A line of exactly 64 KiB, split across read chunks, and a CR LF whose
    // LF starts the next chunk.
    const std::string path = dir_.File("t.txt");
    std::string big = "1\t" + std::string(kMaxTableLineBytes - 2, 'y');
    std::string bytes = kHeader + big + "\r\n";
    bytes += std::string(256 * 1024 - bytes.size() - 1, '\n') + "\r\n2\tz\r\n";
    WriteFile(path, bytes);
    ReadingLog log;
    ASSERT_TRUE(SpeedButton2Click(log, path, dialogs_));
    ASSERT_EQ(log.RowCount(), 2u);
    EXPECT_EQ(log.Text(0, ReadingLog::kTime), std::string(20, 'y'));  // cut when stored
    EXPECT_EQ(log.Text(1, ReadingLog::kTime), "z");
}

TEST_F(TableFilesTest, AnUpperCaseXmlNameIsText) {
    ReadingLog log;
    FillRecorded(log);
    const std::string path = dir_.File("t.XML");
    ASSERT_TRUE(saveasClick(log, path, dialogs_));
    EXPECT_EQ(ReadFile(path).substr(0, kHeader.size()), kHeader);
    ReadingLog loaded;
    ASSERT_TRUE(SpeedButton2Click(loaded, path, dialogs_));
    EXPECT_EQ(loaded.RowCount(), 2u);
    EXPECT_EQ(loaded.Text(1, ReadingLog::kUnit), "&  *");
    EXPECT_FALSE(IsXmlTableName("a.xml/table"));
    EXPECT_FALSE(IsXmlTableName("a.xmlx"));
    EXPECT_TRUE(IsXmlTableName("dir.d/a.b.xml"));
    EXPECT_TRUE(IsXmlTableName(".xml"));
}

TEST_F(TableFilesTest, AFailedSaveShowsOnlyTheFailureAndKeepsTheOldFile) {
    ReadingLog log;
    FillRecorded(log);
    const std::string plain = dir_.File("plain");
    WriteFile(plain, "x");
    for (const std::string name : {"t.txt", "t.xml"}) {
        const std::string below = plain + "/" + name;
        dialogs_.messages.clear();
        EXPECT_FALSE(saveasClick(log, below, dialogs_)) << name;
        EXPECT_EQ(dialogs_.messages, std::vector<std::string>{SaveFailed(below)}) << name;

        const std::string path = dir_.File(name);
        WriteFile(path, "old content");
        SetSafeFileFaultForTesting(SafeFileFault::WriteFails);
        dialogs_.messages.clear();
        EXPECT_FALSE(saveasClick(log, path, dialogs_)) << name;
        EXPECT_EQ(dialogs_.messages, std::vector<std::string>{SaveFailed(path)}) << name;
        EXPECT_EQ(ReadFile(path), "old content") << name;
        SetSafeFileFaultForTesting(SafeFileFault::None);
    }
    EXPECT_EQ(testing::EntryCount(dir_.Path()), 3u);  // no temporary files left
}

TEST_F(TableFilesTest, WhereNoTemporaryFileCanBeMadeTheSaveIsRefusedAndSaysWhy) {
    ReadingLog log;
    FillRecorded(log);
    SetSafeFileFaultForTesting(SafeFileFault::NoTemporaryFile);
    for (const std::string name : {"t.txt", "t.xml"}) {
        const std::string fresh = dir_.File("new-" + name);
        dialogs_.messages.clear();
        EXPECT_FALSE(saveasClick(log, fresh, dialogs_)) << name;
        EXPECT_EQ(dialogs_.messages, std::vector<std::string>{SaveFailed(fresh)}) << name;
        EXPECT_FALSE(fs::exists(fresh)) << name;

        const std::string existing = dir_.File(name);
        WriteFile(existing, "old content");
        dialogs_.messages.clear();
        EXPECT_FALSE(saveasClick(log, existing, dialogs_)) << name;
        ASSERT_EQ(dialogs_.messages.size(), 1u) << name;
        EXPECT_EQ(dialogs_.messages[0].rfind(SaveFailed(existing) + "\nIts folder cannot be "
                                                                    "written: a save writes",
                                             0),
                  0u)
            << dialogs_.messages[0];
        EXPECT_EQ(ReadFile(existing), "old content") << name;
    }
}

TEST_F(TableFilesTest, SavingKeepsPermissionsAndSymbolicLinks) {
    ReadingLog log;
    FillRecorded(log);
    for (const std::string name : {"t.txt", "t.xml"}) {
        const std::string target = dir_.File("target-" + name);
        const std::string link = dir_.File("link-" + name);
        WriteFile(target, "old");
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
        fs::create_symlink(target, link);
        ASSERT_TRUE(saveasClick(log, link, dialogs_)) << name;
        EXPECT_TRUE(fs::is_symlink(link)) << name;
        EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write)
            << name;
        ReadingLog loaded;
        ASSERT_TRUE(SpeedButton2Click(loaded, target, dialogs_)) << name;
        EXPECT_EQ(loaded.RowCount(), 2u) << name;
    }
}

}  // namespace
}  // namespace varlo
