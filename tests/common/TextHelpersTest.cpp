#include <gtest/gtest.h>

#include <cstdint>

#include "common/Hex.h"
#include "common/Utf8.h"

namespace varlo {
namespace {

TEST(Utf8, AMalformedByteIsACharacterOfItsOwnEverywhere) {
    struct Case {
        std::string text;
        std::size_t length;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", 0, u""},
        {"a\xC3\xA9z", 3, u"a\u00E9z"},
        {"\xF0\x9F\x98\x80", 1, u"\U0001F600"},  // beyond 16 bits: a surrogate pair
        {"\xE0\x80", 2, u"\uFFFD\uFFFD"},        // overlong
        {"\x80\x80\x80", 3, u"\uFFFD\uFFFD\uFFFD"},
        {"\xED\xA0\x80", 3, u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
        {"\xC3", 1, u"\uFFFD"},                      // cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8Length(c.text), c.length) << c.text;
        EXPECT_EQ(Utf8Offset(c.text, c.length), c.text.size()) << c.text;
        EXPECT_EQ(Utf8ToUtf16(c.text), c.utf16) << c.text;
    }
    EXPECT_EQ(Utf8Offset("a\xC3\xA9z", 2), 3u);
    EXPECT_EQ(FirstCodePoint("\xE2\x82\xAC!"), U'\u20AC');
    EXPECT_EQ(FirstCodePoint("\xFF"), char32_t{0xFF});
    for (char32_t cp : {U'A', U'\u00E9', U'\u20AC', U'\U0001F600'}) {
        std::string encoded;
        AppendUtf8(cp, encoded);
        char32_t decoded = 0;
        EXPECT_EQ(NextUtf8Char(encoded, 0, decoded), encoded.size());
        EXPECT_EQ(decoded, cp);
    }
}

TEST(Hex, WritesUpperCaseAndReadsEitherCase) {
    std::string text;
    AppendHexByte(text, 0x0D);
    AppendHexByte(text, 0xF1);
    EXPECT_EQ(text, "0DF1");
    EXPECT_EQ(HexByteValue("f1"), 0xF1);
    EXPECT_EQ(HexByteValue("F"), -1);
    EXPECT_EQ(HexByteValue("0G"), -1);
    std::uint16_t value = 0;
    EXPECT_TRUE(ParseHexNumber("1a86", value));
    EXPECT_EQ(value, 0x1A86);
    for (const char* bad : {"", "-1", "+1", "12345", "1 2"}) {
        EXPECT_FALSE(ParseHexNumber(bad, value)) << bad;
    }
    int signedValue = 0;
    EXPECT_FALSE(ParseHexNumber("-1", signedValue));
}

}  // namespace
}  // namespace varlo
