#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording/CompactText.h"

namespace varlo {
namespace {

std::string Decoded(std::uint32_t cell, const SeparatorTable& separators) {
    char buffer[compact_text::kMaxBytes];
    return {buffer, compact_text::Decode(cell, separators, buffer)};
}

// Which texts take a cell of their own, and that each such cell gives back
// exactly its text.
TEST(CompactText, TextsOfTheMetersShapesRoundTripInTheCell) {
    struct Case {
        std::string text;
        bool compact;
    };
    const std::vector<Case> cases = {
        {"12.345", true},      {"-0.001", true},    {"00.123", true},     {"-1.2345", true},
        {"09886", true},       {"0L", true},        {"-0L", true},        {"0L.", true},
        {"-.0L", true},        {"0.L", true},       {"736.7.8", true},    {".0.L.", true},
        {"1,234", true},       {"12٫345", true},    {"", true},           {"-", true},
        {"23:59:59", true},    {"00:00:00", true},  {"12.30.05", true},   {"1:2:3", true},
        {"24:00:00", false},   {"12:60:00", false}, {"12:00:60", false},  {"12:00.00", false},
        {" 1.2", false},       {"1.2 ", false},     {"123456", false},    {"1..2", false},
        {"1.2,3", false},      {"--1", false},      {"+1", false},        {"1-2", false},
        {"Pass", false},       {"&  *", false},     {"12h30h00", false},  {"1A", false},
        {"ääääääääää", false}, {"0x1", false},      {"1.2.3.4.5.", true}, {".1.2.3.4.5.", true},
    };
    SeparatorTable separators;
    std::vector<std::pair<std::uint32_t, std::string>> cells;
    for (const auto& c : cases) {
        const auto cell = compact_text::Encode(c.text, separators);
        ASSERT_EQ(cell.has_value(), c.compact) << "'" << c.text << "'";
        if (!cell) continue;
        EXPECT_TRUE(compact_text::IsCompact(*cell)) << c.text;
        EXPECT_EQ(Decoded(*cell, separators), c.text);
        cells.emplace_back(*cell, c.text);
    }
    // Separators added later leave the cells made before them as they were.
    for (const auto& [cell, text] : cells) EXPECT_EQ(Decoded(cell, separators), text);
    EXPECT_EQ(separators.Size(), 4u);  // ".", ",", "٫", ":"
}

TEST(CompactText, DistinctTextsGetDistinctCells) {
    SeparatorTable separators;
    const std::vector<std::string> texts = {"1.2", "12", "1.2.", ".12", "-1.2",     "1L.2",    "L",
                                            "0",   "00", "",     "-",   "01:02:03", "01.02.03"};
    std::vector<std::uint32_t> cells;
    for (const auto& text : texts) {
        const auto cell = compact_text::Encode(text, separators);
        ASSERT_TRUE(cell) << text;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            EXPECT_NE(cells[i], *cell) << texts[i] << " and " << text;
        }
        cells.push_back(*cell);
    }
}

TEST(CompactText, AFullSeparatorTableLeavesNewSeparatorsToTheDictionary) {
    SeparatorTable separators;
    for (const std::string text : {"1.5", "1,5", "12:00:00", "1/5"}) {
        ASSERT_TRUE(compact_text::Encode(text, separators)) << text;
    }
    ASSERT_EQ(separators.Size(), SeparatorTable::kCapacity);
    EXPECT_FALSE(compact_text::Encode("1;5", separators));
    EXPECT_FALSE(compact_text::Encode("12;00;00", separators));
    EXPECT_TRUE(compact_text::Encode("2/7", separators));
    // A text that holds no digit takes no place in the table.
    SeparatorTable fresh;
    EXPECT_FALSE(compact_text::Encode("%", fresh));
    EXPECT_FALSE(compact_text::Encode(".L", fresh));
    EXPECT_EQ(fresh.Size(), 0u);
}

}  // namespace
}  // namespace varlo
