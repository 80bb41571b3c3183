#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/VarloError.h"
#include "recording/ReadingLog.h"

namespace varlo {
namespace {

TEST(ReadingLogColumns, NamesInOrderWithTypes) {
    const std::vector<std::string> expected = {"No",   "time", "DC/AC", "Value",
                                               "Unit", "Auto", "NVal"};
    ASSERT_EQ(ReadingLog::kColumnCount, 7);
    for (int i = 0; i < ReadingLog::kColumnCount; ++i) {
        EXPECT_EQ(ReadingLog::ColumnName(i), expected[static_cast<std::size_t>(i)]);
        EXPECT_EQ(ReadingLog::IsIntegerColumn(i), i == 0 || i == 6) << expected[i];
    }
    EXPECT_THROW(ReadingLog::ColumnName(7), std::out_of_range);
    EXPECT_FALSE(ReadingLog::IsIntegerColumn(7));
    EXPECT_FALSE(ReadingLog::IsIntegerColumn(-1));
}

TEST(ReadingLogColumns, IndexIgnoresLetterCase) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"no", 0},     {"No", 0},   {"TIME", 1},  {"Time", 1}, {"dc/ac", 2},
        {"value", 3},  {"UNIT", 4}, {"AUTO", 5},  {"Nval", 6}, {"nval", 6},
        {"NVal ", -1}, {"", -1},    {"Judge", -1}};
    for (const auto& [name, index] : cases) {
        EXPECT_EQ(ReadingLog::ColumnIndex(name), index) << "'" << name << "'";
    }
}

TEST(ReadingLogRows, NewRowIsNullEverywhere) {
    ReadingLog log;
    EXPECT_EQ(log.AppendRow(), 0u);
    EXPECT_EQ(log.AppendRow(), 1u);
    ASSERT_EQ(log.RowCount(), 2u);
    for (int c = 0; c < ReadingLog::kColumnCount; ++c) {
        EXPECT_TRUE(log.IsNull(1, c)) << c;
        EXPECT_EQ(log.Text(1, c), "") << c;
    }
    EXPECT_EQ(log.Int(1, ReadingLog::kNo), std::nullopt);
}

TEST(ReadingLogRows, KeepsValuesInInsertionOrder) {
    ReadingLog log;
    log.AppendRow(1, "12:00:00", "DC", "00.123", "V", "Pass", 123);
    log.AppendRow(2, "12:00:01", "AC", "-1.2345", "mV", "Fail", -12345);
    log.AppendRow(3, "12:00:01", "DC", "00.123", "V", "Pass", 123);
    ASSERT_EQ(log.RowCount(), 3u);
    EXPECT_EQ(log.Text(1, ReadingLog::kValue), "-1.2345");
    EXPECT_EQ(log.Text(1, ReadingLog::kFunction), "AC");
    EXPECT_EQ(log.Text(1, ReadingLog::kAuto), "Fail");
    EXPECT_EQ(log.Int(1, ReadingLog::kNVal), -12345);
    EXPECT_EQ(log.Text(1, ReadingLog::kNVal), "-12345");
    EXPECT_EQ(log.Text(2, ReadingLog::kTime), "12:00:01");
    EXPECT_EQ(log.Text(2, ReadingLog::kUnit), "V");
    EXPECT_EQ(log.Int(2, ReadingLog::kNo), 3);
    EXPECT_EQ(log.Text(0, ReadingLog::kValue), "00.123");
}

TEST(ReadingLogRows, EmptyTextIsNotNullAndFieldsCanBeNulledAgain) {
    ReadingLog log;
    log.AppendRow();
    log.SetText(0, ReadingLog::kFunction, "");
    EXPECT_FALSE(log.IsNull(0, ReadingLog::kFunction));
    log.SetInt(0, ReadingLog::kNVal, 0);
    EXPECT_FALSE(log.IsNull(0, ReadingLog::kNVal));
    EXPECT_EQ(log.Text(0, ReadingLog::kNVal), "0");
    log.SetNull(0, ReadingLog::kFunction);
    log.SetInt(0, ReadingLog::kNVal, std::nullopt);
    EXPECT_TRUE(log.IsNull(0, ReadingLog::kFunction));
    EXPECT_TRUE(log.IsNull(0, ReadingLog::kNVal));
}

TEST(ReadingLogRows, CutsTextsToTwentyCharacters) {
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> cases = {
        {"12345678901234567890", "12345678901234567890"},
        {"123456789012345678901", "12345678901234567890"},
        // Two-byte characters: 21 of them are 42 bytes, cut to 20 characters.
        {"ääääääääääääääääääääa", "ääääääääääääääääääää"},
        {"ΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩ", "ΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩ"},
        // A four-byte character at the limit stays whole.
        {"1234567890123456789😀x", "1234567890123456789😀"},
        {"€", "€"},
    };
    ReadingLog log;
    for (const auto& c : cases) {
        const std::size_t row = log.AppendRow();
        for (int column = 1; column <= 5; ++column) {
            log.SetText(row, column, c.in);
            EXPECT_EQ(log.Text(row, column), c.out) << c.in << " column " << column;
        }
    }
}

TEST(ReadingLogRows, IntegerColumnsTakeIntegerTextsOnly) {
    ReadingLog log;
    log.AppendRow();
    log.SetText(0, ReadingLog::kNo, "-2147483648");
    EXPECT_EQ(log.Int(0, ReadingLog::kNo), -2147483648);
    log.SetText(0, ReadingLog::kNVal, "+17");
    EXPECT_EQ(log.Int(0, ReadingLog::kNVal), 17);
    for (const std::string bad : {"abc", "1.5", "2147483648", "+", "-", "+-1", " 1", "1 "}) {
        try {
            log.SetText(0, ReadingLog::kNVal, bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const VarloError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + bad + "' is not a valid integer value");
        }
        EXPECT_EQ(log.Int(0, ReadingLog::kNVal), 17) << bad;
    }
    log.SetText(0, ReadingLog::kNVal, "");
    EXPECT_TRUE(log.IsNull(0, ReadingLog::kNVal));
    EXPECT_THROW(log.SetInt(0, ReadingLog::kValue, 1), std::invalid_argument);
    EXPECT_THROW(log.Int(0, ReadingLog::kUnit), std::invalid_argument);
    EXPECT_THROW(log.Text(1, ReadingLog::kUnit), std::out_of_range);
    EXPECT_THROW(log.SetText(0, 7, "x"), std::out_of_range);
}

TEST(ReadingLogRows, ManyRowsAcrossChunksAndDistinctTexts) {
    ReadingLog log;
    constexpr int kRows = 20000;
    for (int i = 0; i < kRows; ++i) {
        log.AppendRow(i, std::to_string(i % 77), "DC", std::to_string(i), "V", "Pass", -i);
    }
    ASSERT_EQ(log.RowCount(), static_cast<std::size_t>(kRows));
    for (int i : {0, 8191, 8192, 16383, 16384, kRows - 1}) {
        EXPECT_EQ(log.Int(i, ReadingLog::kNo), i);
        EXPECT_EQ(log.Int(i, ReadingLog::kNVal), -i);
        EXPECT_EQ(log.Text(i, ReadingLog::kValue), std::to_string(i));
        EXPECT_EQ(log.Text(i, ReadingLog::kTime), std::to_string(i % 77));
    }
}

TEST(ReadingLogRows, TruncateKeepsTheFirstRowsAndAppendingGoesOn) {
    ReadingLog log;
    for (int i = 0; i < 10000; ++i) log.AppendRow(i, "t", "", std::to_string(i), "", "", i);
    log.TruncateTo(8193);
    EXPECT_EQ(log.RowCount(), 8193u);
    EXPECT_EQ(log.Text(8192, ReadingLog::kValue), "8192");
    EXPECT_THROW(log.Text(8193, ReadingLog::kValue), std::out_of_range);
    const std::size_t row = log.AppendRow();
    EXPECT_EQ(row, 8193u);
    EXPECT_TRUE(log.IsNull(row, ReadingLog::kValue));  // no stale field from the dropped row
    EXPECT_TRUE(log.IsNull(row, ReadingLog::kNo));
    log.TruncateTo(0);
    EXPECT_EQ(log.RowCount(), 0u);
}

TEST(ReadingLogRows, EraseFrontKeepsTheLaterRowsInOrder) {
    ReadingLog log;
    for (int i = 0; i < 20000; ++i) log.AppendRow(i, "t", "", std::to_string(i), "", "", i);
    const std::size_t before = log.MemoryBytes();
    log.EraseFront(9000);
    ASSERT_EQ(log.RowCount(), 11000u);
    for (int i : {0, 8191, 8192, 10999}) {
        EXPECT_EQ(log.Int(i, ReadingLog::kNo), i + 9000);
        EXPECT_EQ(log.Text(i, ReadingLog::kValue), std::to_string(i + 9000));
    }
    EXPECT_LT(log.MemoryBytes(), before);  // a chunk of rows is given back
    const std::size_t row = log.AppendRow();
    EXPECT_EQ(row, 11000u);
    EXPECT_TRUE(log.IsNull(row, ReadingLog::kValue));
    log.EraseFront(log.RowCount());
    EXPECT_EQ(log.RowCount(), 0u);
}

TEST(ReadingLogRows, RollBackGivesBackRowsAndTheirTexts) {
    ReadingLog log;
    log.AppendRow(1, "12:00:00", "DC", "00.100", "V", "Pass", 100);
    const std::size_t before = log.MemoryBytes();
    const ReadingLog::Checkpoint checkpoint = log.MakeCheckpoint();
    for (int i = 0; i < 100000; ++i) {
        log.AppendRow(i, "t" + std::to_string(i), "f" + std::to_string(i), std::to_string(i), "V",
                      "Pass", i);
    }
    ASSERT_GT(log.MemoryBytes(), before + 1000000);
    log.RollBack(checkpoint);
    ASSERT_EQ(log.RowCount(), 1u);
    EXPECT_LT(log.MemoryBytes(), before + 64 * 1024);
    EXPECT_EQ(log.Text(0, ReadingLog::kTime), "12:00:00");
    EXPECT_EQ(log.Text(0, ReadingLog::kValue), "00.100");
    // The texts still known are found again, the dropped ones added anew.
    log.AppendRow(2, "12:00:00", "DC", "t5", "V", "Pass", 5);
    EXPECT_EQ(log.Text(1, ReadingLog::kTime), "12:00:00");
    EXPECT_EQ(log.Text(1, ReadingLog::kValue), "t5");
}

TEST(ReadingLogRows, EraseFrontGivesBackTextsOnlyTheDroppedRowsUsed) {
    ReadingLog log;
    for (int i = 0; i < 100000; ++i) {
        log.AppendRow(i, "old" + std::to_string(i), "DC", std::to_string(i), "V", "Pass", i);
    }
    const std::size_t full = log.MemoryBytes();
    log.AppendRow(7, "new", "AC", "1.0", "mV", "Fail", 1);
    log.EraseFront(100000);
    ASSERT_EQ(log.RowCount(), 1u);
    EXPECT_LT(log.MemoryBytes(), full / 4);
    EXPECT_EQ(log.Text(0, ReadingLog::kTime), "new");
    EXPECT_EQ(log.Text(0, ReadingLog::kUnit), "mV");
    EXPECT_EQ(log.Int(0, ReadingLog::kNo), 7);
}

TEST(ReadingLogRows, ClearDropsRowsAndMemory) {
    ReadingLog log;
    const std::size_t empty = log.MemoryBytes();
    for (int i = 0; i < 1000; ++i) log.AppendRow(i, "t", "DC", std::to_string(i), "V", "Pass", i);
    EXPECT_GT(log.MemoryBytes(), empty + 1000 * 32);
    log.Clear();
    EXPECT_EQ(log.RowCount(), 0u);
    EXPECT_EQ(log.MemoryBytes(), empty);
    log.AppendRow(1, "t", "DC", "x", "V", "Pass", 1);
    EXPECT_EQ(log.Text(0, ReadingLog::kValue), "x");
}

// Texts of every kind, held in their cells or in the dictionaries: each
// reads back byte for byte in every text column.
const std::vector<std::string> kTextsOfEveryKind = {
    "12.345", "-0.001", "0L",       "-0L",      "-0L.",     " 1.2",     "1,234",
    "",       "-",      "23:59:59", "00:00:00", "24:00:00", "1:2:3",    "12٫345",
    "Pass",   "&  *",   "123456",   "1..2",     "V)",       "12.30.05", "ÄäÖöÜüß€Ωµ°ÆæØøÅåÉéÈ",
};

TEST(ReadingLogTexts, EveryKindOfTextReadsBackAsItWasSet) {
    ReadingLog log;
    for (const auto& text : kTextsOfEveryKind) {
        const std::size_t row = log.AppendRow();
        for (int column = 1; column <= 5; ++column) {
            log.SetText(row, column, text);
            EXPECT_FALSE(log.IsNull(row, column));
            EXPECT_EQ(log.Text(row, column), text) << "column " << column;
            EXPECT_EQ(log.TextView(row, column), text) << "column " << column;
        }
    }
    // Set again over other texts, and read again after all were set.
    for (std::size_t row = 0; row < log.RowCount(); ++row) {
        for (int column = 1; column <= 5; ++column) {
            EXPECT_EQ(log.Text(row, column), kTextsOfEveryKind[row]) << row << " " << column;
        }
    }
    log.SetText(0, ReadingLog::kValue, "Fail");
    log.SetText(1, ReadingLog::kValue, "00:00:01");
    EXPECT_EQ(log.Text(0, ReadingLog::kValue), "Fail");
    EXPECT_EQ(log.Text(1, ReadingLog::kValue), "00:00:01");
}

TEST(ReadingLogTexts, AWholeRowOfViewsCanBeHeldAtOnce) {
    ReadingLog log;
    log.AppendRow(1, "12:00:01", "DC", "-1.2345", "0L", "Pass", 1);
    log.AppendRow(2, "12:00:02", "AC", "00.100", "0.L", "Fail", 2);
    std::vector<std::string_view> views;
    for (std::size_t row = 0; row < 2; ++row) {
        for (int column = 1; column <= 5; ++column) views.push_back(log.TextView(row, column));
    }
    EXPECT_THAT(views, testing::ElementsAre("12:00:01", "DC", "-1.2345", "0L", "Pass", "12:00:02",
                                            "AC", "00.100", "0.L", "Fail"));
}

TEST(ReadingLogTexts, DistinctReadingsOfTheMetersShapesCostNoDictionary) {
    ReadingLog log;
    constexpr int kRows = 100000;
    for (int i = 0; i < kRows; ++i) {
        // Every value and time text of its own.
        const std::string digits = std::to_string(10000 + i % 90000);
        const std::string value = (i % 2 ? "-" : "") + digits.substr(0, 2) + "." + digits.substr(2);
        const int second = i % 86400;
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", second / 3600, second / 60 % 60,
                      second % 60);
        log.AppendRow(i, time, "DC", value, "V", "Pass", i);
        ASSERT_EQ(log.Text(i, ReadingLog::kValue), value);
        ASSERT_EQ(log.Text(i, ReadingLog::kTime), time);
    }
    // Rows of 28 bytes in whole chunks, and three short dictionaries.
    EXPECT_LT(log.MemoryBytes(), kRows * 32u);
}

// A log of rows of every kind of text, with a check of every field.
struct MixedLog {
    ReadingLog log;
    std::vector<std::vector<std::string>> rows;

    void Append(int n) {
        for (int i = 0; i < n; ++i) {
            const int k = static_cast<int>(rows.size());
            const auto& pick = [&](int offset) -> const std::string& {
                return kTextsOfEveryKind[static_cast<std::size_t>(k + offset) %
                                         kTextsOfEveryKind.size()];
            };
            std::vector<std::string> row = {std::to_string(k), pick(0),  pick(3),
                                            pick(7),           pick(11), "t" + std::to_string(k)};
            log.AppendRow(k, row[1], row[2], row[3], row[4], row[5], -k);
            rows.push_back(std::move(row));
        }
    }
    // The log's rows are the expected ones from `first` on.
    void Check(std::size_t first) const {
        ASSERT_EQ(log.RowCount(), rows.size() - first);
        for (std::size_t row = 0; row < log.RowCount(); ++row) {
            const auto& want = rows[first + row];
            ASSERT_EQ(log.Text(row, ReadingLog::kNo), want[0]) << row;
            for (int column = 1; column <= 5; ++column) {
                ASSERT_EQ(log.Text(row, column), want[static_cast<std::size_t>(column)])
                    << row << " " << column;
            }
        }
    }
};

TEST(ReadingLogTexts, TruncateAndEraseFrontKeepEveryForm) {
    MixedLog mixed;
    mixed.Append(9000);
    mixed.log.TruncateTo(8500);
    mixed.rows.resize(8500);
    mixed.Check(0);
    mixed.log.EraseFront(8200);
    mixed.Check(8200);
    mixed.Append(100);  // rows appended after the erase
    mixed.Check(8200);
}

TEST(ReadingLogTexts, RollBackKeepsWhatTheRowsBeforeTheCheckpointUse) {
    MixedLog mixed;
    mixed.Append(8500);
    const ReadingLog::Checkpoint checkpoint = mixed.log.MakeCheckpoint();
    const std::size_t memory = mixed.log.MemoryBytes();
    for (int i = 0; i < 20000; ++i) {
        mixed.log.AppendRow(i, "x" + std::to_string(i), "", "1.5", "", "", i);
    }
    mixed.log.RollBack(checkpoint);
    mixed.Check(0);
    EXPECT_LT(mixed.log.MemoryBytes(), memory + 4096);  // the rows and texts given back

    // Separators met after the checkpoint are given back and taken anew.
    ReadingLog log;
    log.AppendRow(1, "12:00:00", "DC", "-1.234", "V", "Pass", 1);
    const ReadingLog::Checkpoint second = log.MakeCheckpoint();
    log.AppendRow(2, "12/00/00", "DC", "1,5", "V", "Pass", 2);
    log.RollBack(second);
    log.AppendRow(3, "12;00;00", "DC", "1|5", "V", "Pass", 3);
    EXPECT_EQ(log.Text(0, ReadingLog::kTime), "12:00:00");
    EXPECT_EQ(log.Text(0, ReadingLog::kValue), "-1.234");
    EXPECT_EQ(log.Text(1, ReadingLog::kTime), "12;00;00");
    EXPECT_EQ(log.Text(1, ReadingLog::kValue), "1|5");
}

class RecordingObserver : public ReadingLogObserver {
  public:
    void RowsAppended(std::size_t first, std::size_t last) override {
        events.push_back("append " + std::to_string(first) + "-" + std::to_string(last));
    }
    void RowsReset() override { events.push_back("reset"); }
    std::vector<std::string> events;
};

TEST(ReadingLogObserving, AnnouncesAppendsAndResets) {
    ReadingLog log;
    RecordingObserver observer;
    log.SetObserver(&observer);
    log.AppendRow();
    log.AppendRow(1, "a", "b", "c", "d", "e", 2);
    log.TruncateTo(5);  // nothing to drop: no announcement
    log.TruncateTo(1);
    log.Clear();
    EXPECT_THAT(observer.events,
                testing::ElementsAre("append 0-0", "append 1-1", "reset", "reset"));
    log.SetObserver(nullptr);
    log.AppendRow();
    EXPECT_EQ(observer.events.size(), 4u);
}

TEST(ReadingLogObserving, SuspendedLoadAnnouncesOnceOrUndoesSilently) {
    ReadingLog log;
    RecordingObserver observer;
    log.SetObserver(&observer);
    log.AppendRow();

    log.SetNotificationsSuspended(true);
    for (int i = 0; i < 3; ++i) log.AppendRow();
    log.NotifyRowsAppended(1, 3);  // still suspended: swallowed
    log.SetNotificationsSuspended(false);
    log.NotifyRowsAppended(1, 3);

    log.SetNotificationsSuspended(true);
    log.AppendRow();
    log.TruncateTo(4);  // a failed load undone
    log.SetNotificationsSuspended(false);

    EXPECT_THAT(observer.events, testing::ElementsAre("append 0-0", "append 1-3"));
    EXPECT_EQ(log.RowCount(), 4u);
}

}  // namespace
}  // namespace varlo

namespace varlo {
namespace {

TEST(TextDictionary, DenseIdsInFirstAppearanceOrderAndStableViews) {
    TextDictionary dictionary;
    EXPECT_EQ(dictionary.Intern("V"), 0u);
    EXPECT_EQ(dictionary.Intern(""), 1u);
    EXPECT_EQ(dictionary.Intern("mV"), 2u);
    EXPECT_EQ(dictionary.Intern("V"), 0u);
    const std::string_view first = dictionary.At(2);
    const std::string big(100000, 'x');  // larger than a text block
    EXPECT_EQ(dictionary.Intern(big), 3u);
    for (int i = 0; i < 50000; ++i) {
        ASSERT_EQ(dictionary.Intern(std::to_string(i)), static_cast<std::uint32_t>(i + 4));
    }
    EXPECT_EQ(dictionary.Intern("mV"), 2u);
    EXPECT_EQ(dictionary.Intern("123"), 127u);
    EXPECT_EQ(first.data(), dictionary.At(2).data());  // never moved by growth
    EXPECT_EQ(dictionary.At(3), big);
    EXPECT_EQ(dictionary.At(1), "");
    EXPECT_EQ(dictionary.Size(), 50004u);
    dictionary.Clear();
    EXPECT_EQ(dictionary.Size(), 0u);
    EXPECT_EQ(dictionary.MemoryBytes(), 0u);
    EXPECT_EQ(dictionary.Intern("mV"), 0u);
}

}  // namespace
}  // namespace varlo
