#include <gtest/gtest.h>

#include "recording/Cp1252.h"

namespace varlo {
namespace {

TEST(Cp1252, DecodesEveryRangeOfTheCodePage) {
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"&  *", "&  *"},
        {"\x80", "\u20AC"},
        {"\x9F", "\u0178"},
        {"\xB5\xB0", "\u00B5\u00B0"},
        {"\xFF", "\u00FF"},
        {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.bytes), c.utf8) << c.bytes;
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.bytes) << c.utf8;
    }
}

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, WritesAQuestionMarkForWhatItCannotHold) {
    EXPECT_EQ(Utf8ToCp1252("\u03A9 \u4E2D\U0001F600"), "? ??");
    // Malformed UTF-8: a stray continuation byte, a cut sequence, an overlong
    // form and an encoded surrogate each become "?" byte by byte.
    EXPECT_EQ(Utf8ToCp1252("a\x80z"), "a?z");
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");
}

}  // namespace
}  // namespace varlo
