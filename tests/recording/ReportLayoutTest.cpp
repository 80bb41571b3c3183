#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "recording/ReadingLog.h"
#include "recording/ReportLayout.h"

namespace varlo {
namespace {

using Face = ReportFace;

// A text as the tests compare it: position in tenths of a millimetre, so
// that equality is exact.
struct Placed {
    int left;
    int top;
    Face face;
    std::string text;
    bool operator==(const Placed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Placed& p) {
    return out << "{" << p.left << ", " << p.top << ", "
               << (p.face == Face::kArial ? "Arial" : "Glyph") << ", \"" << p.text << "\"}";
}

int Tenths(double mm) {
    return static_cast<int>(mm * 10.0 + (mm < 0 ? -0.5 : 0.5));
}

std::vector<Placed> LeftAligned(const ReportPage& page) {
    std::vector<Placed> out;
    for (const ReportText& t : page.texts) {
        if (!t.centred) out.push_back({Tenths(t.left), Tenths(t.top), t.face, t.text});
    }
    return out;
}

void AppendRows(ReadingLog& log, int count) {
    for (int i = 0; i < count; ++i) {
        const int no = static_cast<int>(log.RowCount()) + 1;
        log.AppendRow(no, "10:00:" + std::to_string(10 + no % 50), no % 2 ? "DC" : "Ohm",
                      std::to_string(no) + ".000", no % 2 ? "V" : "K*", no % 3 ? "Pass" : "Fail",
                      no);
    }
}

// The texts every page carries, whatever its rows.
const std::vector<Placed> kHeadings = {
    {185, 274, Face::kGlyph, "No"},       {439, 274, Face::kGlyph, "Time"},
    {743, 274, Face::kArial, "Function"}, {1095, 274, Face::kGlyph, "Value"},
    {1423, 274, Face::kGlyph, "Unit"},    {1730, 274, Face::kGlyph, "Judge"}};
const Placed kFooter = {185, 2780, Face::kGlyph, "Test Data"};

void ExpectFrame(const ReportPage& page, std::size_t index) {
    SCOPED_TRACE("page " + std::to_string(index + 1));
    int titles = 0;
    for (const ReportText& t : page.texts) {
        if (!t.centred) continue;
        ++titles;
        EXPECT_EQ(t.text, "Test Data");
        EXPECT_EQ(t.face, Face::kGlyph);
        EXPECT_DOUBLE_EQ(t.left, 10.0);
        EXPECT_DOUBLE_EQ(t.width, 190.0);
        EXPECT_EQ(Tenths(t.top), 121);
    }
    EXPECT_EQ(titles, 1);
    const std::vector<Placed> texts = LeftAligned(page);
    ASSERT_GE(texts.size(), kHeadings.size() + 1);
    EXPECT_EQ(std::vector<Placed>(texts.begin(), texts.begin() + 6), kHeadings);
    EXPECT_EQ(texts.back(), kFooter);
}

TEST(ReportLayout, EmptyLogHasNoPages) {
    ReadingLog log;
    const ReportLayout layout(log);
    EXPECT_EQ(layout.PageCount(), 0u);
    EXPECT_THROW(layout.Page(0), std::out_of_range);
}

TEST(ReportLayout, OneRowIsOnePageWithEveryFieldInItsPlace) {
    ReadingLog log;
    log.AppendRow(7, "09:05:01", "Temperature", "-0023.5", "?", "Fail", -235);
    const ReportLayout layout(log);
    ASSERT_EQ(layout.PageCount(), 1u);
    const ReportPage page = layout.Page(0);
    ExpectFrame(page, 0);
    EXPECT_EQ(page.firstRow, 0u);
    EXPECT_EQ(page.rowCount, 1u);
    // The detail band starts under the two bands at the top (10 + 13.2 +
    // 13.2 = 36.4 mm); its fields stand 2.1 mm below that. NVal is not
    // printed.
    const std::vector<Placed> texts = LeftAligned(page);
    const std::vector<Placed> line(texts.begin() + 6, texts.end() - 1);
    const std::vector<Placed> expected = {
        {185, 385, Face::kArial, "7"},           {439, 385, Face::kArial, "09:05:01"},
        {756, 385, Face::kArial, "Temperature"}, {1095, 385, Face::kArial, "-0023.5"},
        {1412, 385, Face::kGlyph, "?"},          {1730, 385, Face::kGlyph, "Fail"}};
    EXPECT_EQ(line, expected);
}

// Each text has room up to the next column's left edge, the last column up
// to the right margin (200 mm), and is cut there.
TEST(ReportLayout, EveryTextHasRoomUpToTheNextColumn) {
    ReadingLog log;
    log.AppendRow(7, "09:05:01", "Temperature", "-0023.5", "?", "Fail", -235);
    std::vector<std::tuple<std::string, int, int>> rooms;  // text, left, right
    for (const ReportText& t : ReportLayout(log).Page(0).texts) {
        if (!t.centred) rooms.emplace_back(t.text, Tenths(t.left), Tenths(t.left + t.width));
    }
    const std::vector<std::tuple<std::string, int, int>> expected = {
        {"No", 185, 439},        {"Time", 439, 743},     {"Function", 743, 1095},
        {"Value", 1095, 1423},   {"Unit", 1423, 1730},   {"Judge", 1730, 2000},
        {"7", 185, 439},         {"09:05:01", 439, 756}, {"Temperature", 756, 1095},
        {"-0023.5", 1095, 1412}, {"?", 1412, 1730},      {"Fail", 1730, 2000},
        {"Test Data", 185, 2000}};
    EXPECT_EQ(rooms, expected);
}

TEST(ReportLayout, RowsFillPagesOfThirtyFive) {
    struct Case {
        int rows;
        std::size_t pages;
        std::size_t lastPageRows;
    };
    for (const Case& c : {Case{35, 1, 35}, Case{36, 2, 1}, Case{70, 2, 35}, Case{100, 3, 30}}) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows");
        ReadingLog log;
        AppendRows(log, c.rows);
        const ReportLayout layout(log);
        ASSERT_EQ(layout.PageCount(), c.pages);
        std::size_t nextRow = 0;
        for (std::size_t p = 0; p < layout.PageCount(); ++p) {
            const ReportPage page = layout.Page(p);
            ExpectFrame(page, p);
            EXPECT_EQ(page.firstRow, nextRow);
            EXPECT_EQ(page.rowCount, p + 1 == c.pages ? c.lastPageRows : 35u);
            // Every row on its line, in order: its number in the first
            // field, lines 6.6 mm apart, the last one clear of the footer.
            const std::vector<Placed> texts = LeftAligned(page);
            ASSERT_EQ(texts.size(), 6 + page.rowCount * 6 + 1);
            for (std::size_t line = 0; line < page.rowCount; ++line) {
                const Placed& no = texts[6 + line * 6];
                EXPECT_EQ(no.text, std::to_string(nextRow + line + 1));
                EXPECT_EQ(no.left, 185);
                EXPECT_EQ(no.top, 385 + static_cast<int>(line) * 66);
            }
            EXPECT_LE(texts[texts.size() - 2].top - 21 + 66, 2738)
                << "last band ends in the footer";
            nextRow += page.rowCount;
        }
        EXPECT_EQ(nextRow, static_cast<std::size_t>(c.rows));
        EXPECT_THROW(layout.Page(c.pages), std::out_of_range);
    }
}

TEST(ReportLayout, EmptyFieldsPrintNothingAndKeepTheOthersInPlace) {
    ReadingLog log;
    log.AppendRow(1, "12:00:00", "", "0L", "M*", "Pass", 0);  // no function
    log.AppendRow();                                          // every field null
    log.SetText(1, ReadingLog::kValue, "1.234");
    const ReportPage page = ReportLayout(log).Page(0);
    ExpectFrame(page, 0);
    const std::vector<Placed> texts = LeftAligned(page);
    const std::vector<Placed> lines(texts.begin() + 6, texts.end() - 1);
    const std::vector<Placed> expected = {
        {185, 385, Face::kArial, "1"},     {439, 385, Face::kArial, "12:00:00"},
        {1095, 385, Face::kArial, "0L"},   {1412, 385, Face::kGlyph, "M*"},
        {1730, 385, Face::kGlyph, "Pass"}, {1095, 451, Face::kArial, "1.234"}};
    EXPECT_EQ(lines, expected);
}

TEST(ReportLayout, AnyPageOfALongLogComesFromItsOwnRows) {
    ReadingLog log;
    AppendRows(log, 100000);
    const ReportLayout layout(log);
    ASSERT_EQ(layout.PageCount(), 2858u);  // 2857 full pages and 5 rows
    const ReportPage last = layout.Page(2857);
    ExpectFrame(last, 2857);
    EXPECT_EQ(last.firstRow, 99995u);
    EXPECT_EQ(last.rowCount, 5u);
    EXPECT_EQ(LeftAligned(last)[6 + 4 * 6].text, "100000");
}

// A layout limited to its first pages holds their rows only; a limit at or
// past the report's length changes nothing.
TEST(ReportLayout, PageLimitKeepsTheFirstPages) {
    ReadingLog log;
    AppendRows(log, 100);  // 3 pages, the last with 30 rows
    struct Case {
        std::size_t limit;
        std::size_t pages;
        std::size_t rows;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{1, 1, 35}, Case{2, 2, 70}, Case{3, 3, 100},
                          Case{4, 3, 100}, Case{ReportLayout::kAllPages, 3, 100}}) {
        SCOPED_TRACE("limit " + std::to_string(c.limit));
        const ReportLayout layout(log, c.limit);
        EXPECT_EQ(layout.PageCount(), c.pages);
        EXPECT_EQ(layout.RowCount(), c.rows);
        if (c.pages > 0) {
            const ReportPage last = layout.Page(c.pages - 1);
            EXPECT_EQ(last.firstRow + last.rowCount, c.rows);
        }
        EXPECT_THROW(layout.Page(c.pages), std::out_of_range);
    }
    EXPECT_EQ(ReportLayout::PagesFor(0), 0u);
    EXPECT_EQ(ReportLayout::PagesFor(35), 1u);
    EXPECT_EQ(ReportLayout::PagesFor(36), 2u);
    EXPECT_EQ(ReportLayout::PagesFor(10'000'000), 285'715u);
}

TEST(ReportLayout, KeepsTheRowsOfItsMomentWhileTheLogChanges) {
    ReadingLog log;
    AppendRows(log, 40);
    const ReportLayout layout(log);
    AppendRows(log, 10);  // recorded while the preview is open
    EXPECT_EQ(layout.RowCount(), 40u);
    EXPECT_EQ(layout.PageCount(), 2u);
    EXPECT_EQ(layout.Page(1).rowCount, 5u);
    EXPECT_EQ(LeftAligned(layout.Page(1)).size(), 6u + 5 * 6 + 1);

    log.TruncateTo(37);  // rows gone: their lines print nothing
    const std::vector<Placed> texts = LeftAligned(layout.Page(1));
    ASSERT_EQ(texts.size(), 6u + 2 * 6 + 1);
    EXPECT_EQ(texts[6 + 6].text, "37");
    EXPECT_EQ(texts.back(), kFooter);
}

}  // namespace
}  // namespace varlo
