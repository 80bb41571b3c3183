#include <gtest/gtest.h>

#include <limits>

#include "recording/TableText.h"

namespace varlo {
namespace {

std::vector<std::string> Split(std::string_view line, std::size_t maxFields = 7) {
    std::vector<std::string> fields;
    const std::size_t count = SplitTableFields(line, fields, maxFields);
    EXPECT_EQ(count, fields.size());
    return fields;
}

using Fields = std::vector<std::string>;

TEST(TableFieldSplitting, SplitsAtTabsOnly) {
    EXPECT_EQ(Split(""), Fields{});
    EXPECT_EQ(Split(" "), Fields{" "});
    EXPECT_EQ(Split("\t"), (Fields{"", ""}));
    EXPECT_EQ(Split("1\t14:03:07\tDC\t00.123\t&  *\tPass"),
              (Fields{"1", "14:03:07", "DC", "00.123", "&  *", "Pass"}));
    EXPECT_EQ(Split("a b\t\tNULL\t"), (Fields{"a b", "", "NULL", ""}));
    // A quote that does not open the field is an ordinary character.
    EXPECT_EQ(Split("a\"b\tc\""), (Fields{"a\"b", "c\""}));
}

TEST(TableFieldSplitting, QuotedFields) {
    struct Case {
        std::string line;
        Fields fields;
    };
    const Case cases[] = {
        {"\"a\tb\"\tc", {"a\tb", "c"}},
        {"\"\"", {""}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"\"\"\"", {"\""}},
        {"\"ab\"cd\te", {"abcd", "e"}},      // text after the closing quote is appended
        {"\"ab\"c\"d\te", {"abc\"d", "e"}},  // ... quotes there included
        {"x\t\"open\tto the end", {"x", "open\tto the end"}},  // never closed
        {"\"a\"\"\tb", {"a\"\tb"}},                            // a doubled quote does not close it
        {"\"", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(Split(c.line), c.fields) << c.line;
}

TEST(TableFieldSplitting, StopsOnceThereAreTooManyFields) {
    std::vector<std::string> fields;
    EXPECT_EQ(SplitTableFields("1\t2\t3\t4\t5\t6\t7", fields, 7), 7u);
    EXPECT_EQ(SplitTableFields("1\t2\t3\t4\t5\t6\t7\t8", fields, 7), 8u);
    EXPECT_EQ(SplitTableFields("1\t2\t3\t4\t5\t6\t7\t8\t9\t10", fields, 7), 8u);
    // TABs inside quotes do not count.
    EXPECT_EQ(SplitTableFields("\"1\t2\t3\t4\t5\t6\t7\t8\"", fields, 7), 1u);
}

TEST(TableFieldWriting, TrimsControlsAndBlanksAndWritesNullForNothing) {
    EXPECT_EQ(TrimTableText(" \t\x01 a  b \r\n\x1F"), "a  b");
    EXPECT_EQ(TrimTableText("\x7F"), "\x7F");  // DEL is 127, not trimmed
    std::string out;
    AppendTableTextField(" \t ", out);
    EXPECT_EQ(out, "NULL");
    out.clear();
    AppendTableTextField("", out);
    EXPECT_EQ(out, "NULL");
}

TEST(TableFieldWriting, WritesFieldsAsTheyStandAndQuotesOnlyWhereTheReaderNeedsIt) {
    struct Case {
        std::string utf8;
        std::string written;
    };
    const Case cases[] = {
        {"&  *", "&  *"},
        {"NULL", "NULL"},
        {"a\"b\"", "a\"b\""},  // an inner quote needs nothing
        {"\"x", "\"\"\"x\""},  // a leading quote does
        {"a\tb", "\"a\tb\""},  // so does a TAB
        {"\"a\"\tb", "\"\"\"a\"\"\tb\""},
        {"a\r\nb\nc", "a  b c"},  // a line break inside would end the line
        {"\"a\rb", "\"\"\"a b\""},
        {" \u00B5A\u2126 ",
         "\xB5"
         "A?"},  // trimmed, Windows-1252, "?" for what it lacks
    };
    for (const auto& c : cases) {
        std::string out;
        AppendTableTextField(c.utf8, out);
        EXPECT_EQ(out, c.written) << c.utf8;
    }
}

TEST(TableFieldWriting, EveryWrittenFieldSplitsBackToItsTrimmedText) {
    const std::string texts[] = {"\"",     "\"\"", "a\t\"b", "\"\t\"",
                                 "x\"\ty", "&  *", "\"a\"b", "tab\tat\tends"};
    for (const auto& text : texts) {
        std::string line;
        AppendTableTextField(text, line);
        line += "\tnext";
        EXPECT_EQ(Split(line), (Fields{std::string(TrimTableText(text)), "next"})) << text;
    }
}

TEST(TableInteger, ParsesSignAndDecimalDigitsWithin32Bits) {
    struct Case {
        std::string text;
        bool ok;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"", true, std::nullopt},
        {"0", true, 0},
        {"17", true, 17},
        {"+17", true, 17},
        {"-17", true, -17},
        {"0000000000042", true, 42},
        {"2147483647", true, std::numeric_limits<std::int32_t>::max()},
        {"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
        {"2147483648", false, std::nullopt},
        {"-2147483649", false, std::nullopt},
        {"99999999999999999999", false, std::nullopt},
        {"+", false, std::nullopt},
        {"-", false, std::nullopt},
        {" 1", false, std::nullopt},
        {"1 ", false, std::nullopt},
        {"1.0", false, std::nullopt},
        {"0x10", false, std::nullopt},
        {"NULL", false, std::nullopt},
        {"--1", false, std::nullopt},
    };
    for (const auto& c : cases) {
        std::optional<std::int32_t> value = 99;
        EXPECT_EQ(ParseTableInteger(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(TableInteger, WritesDecimalOrNothing) {
    std::string out;
    AppendTableIntegerField(-2147483647 - 1, out);
    out += '|';
    AppendTableIntegerField(std::nullopt, out);
    out += '|';
    AppendTableIntegerField(12, out);
    EXPECT_EQ(out, "-2147483648||12");
}

}  // namespace
}  // namespace varlo
