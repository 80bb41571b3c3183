#include <gtest/gtest.h>

#include "TableTestSupport.h"
#include "recording/TableTextFormat.h"

namespace varlo {
namespace {

using std::nullopt;
using testing::AddRow;

TEST(TableTextFormat, HeaderAndRowsAreTheFileLines) {
    EXPECT_EQ(FormatTableHeader(), "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n");
    ReadingLog log;
    AddRow(log, {"1", "14:03:07", "DC", "00.123", "V", "Pass", "123"});
    AddRow(log, {"-2", " 14:03:08\r", "", "0L", "&  *", nullopt, nullopt});
    AddRow(log, {nullopt, nullopt, "a\tb", "\"q", "\u00B5A", "\u2126", "7"});
    EXPECT_EQ(FormatTableRow(log, 0), "1\t14:03:07\tDC\t00.123\tV\tPass\r\n");
    EXPECT_EQ(FormatTableRow(log, 1), "-2\t14:03:08\tNULL\t0L\t&  *\tNULL\r\n");
    EXPECT_EQ(FormatTableRow(log, 2),
              "\tNULL\t\"a\tb\"\t\"\"\"q\"\t\xB5"
              "A\t?\r\n");
}

}  // namespace
}  // namespace varlo
