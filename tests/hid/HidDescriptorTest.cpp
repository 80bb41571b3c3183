#include <gtest/gtest.h>

#include <vector>

#include "platform/HidReportDescriptor.h"

namespace varlo::test {
namespace {

HidReportLengths Parse(const std::vector<std::uint8_t>& d) {
    return ParseHidReportDescriptor(d.data(), d.size());
}

// A vendor-defined interface with 8-byte input reports and a 5-byte feature
// report, no report IDs: the shape of the meter's cable.
const std::vector<std::uint8_t> kCable = {
    0x06, 0xA0, 0xFF,  // usage page (vendor)
    0x09, 0x01,        // usage
    0xA1, 0x01,        // collection (application)
    0x09, 0x01,        //   usage
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x00,  //   logical maximum 255
    0x75, 0x08,        //   report size 8
    0x95, 0x08,        //   report count 8
    0x81, 0x02,        //   input
    0x09, 0x02,        //   usage
    0x95, 0x05,        //   report count 5
    0xB1, 0x02,        //   feature
    0xC0,              // end collection
};

TEST(HidDescriptor, UnnumberedInputAndFeature) {
    const auto r = Parse(kCable);
    EXPECT_EQ(r.input, 9);
    EXPECT_EQ(r.output, 0);
    EXPECT_EQ(r.feature, 6);
    EXPECT_FALSE(r.numbered);
    EXPECT_TRUE(r.complete);
}

TEST(HidDescriptor, NumberedReportsTakeTheLongestOfEachKind) {
    const std::vector<std::uint8_t> d = {
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,              //
        0x85, 0x01, 0x75, 0x08, 0x95, 0x07, 0x81, 0x02,  // ID 1: 7 input bytes
        0x85, 0x02, 0x75, 0x01, 0x95, 0x05, 0x81, 0x02,  // ID 2: 5 bits
        0x75, 0x03, 0x95, 0x01, 0x81, 0x01,              //       + 3 bits padding
        0x85, 0x03, 0x75, 0x08, 0x95, 0x02, 0x91, 0x02,  // ID 3: 2 output bytes
        0x85, 0x04, 0x95, 0x10, 0xB1, 0x02,              // ID 4: 16 feature bytes
        0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02,  // ID 1 again: +1 byte
        0xC0,
    };
    const auto r = Parse(d);
    EXPECT_TRUE(r.numbered);
    EXPECT_EQ(r.input, 9);  // ID 1 has 8 bytes in all
    EXPECT_EQ(r.output, 3);
    EXPECT_EQ(r.feature, 17);
    EXPECT_TRUE(r.complete);
}

TEST(HidDescriptor, PushPopAndLongItems) {
    const std::vector<std::uint8_t> d = {
        0x75, 0x08, 0x95, 0x04,        // size 8, count 4
        0xA4,                          // push
        0x95, 0x10, 0x81, 0x02,        // 16 bytes
        0xB4,                          // pop: count 4 again
        0xFE, 0x02, 0x10, 0xAA, 0xBB,  // a long item is skipped whole
        0x81, 0x02,                    // 4 bytes
        0xB4,                          // pop on an empty stack changes nothing
        0x81, 0x02,                    // 4 bytes
    };
    const auto r = Parse(d);
    EXPECT_EQ(r.input, 25);
    EXPECT_TRUE(r.complete);
}

TEST(HidDescriptor, TruncatedDescriptorKeepsWhatWasRead) {
    struct Case {
        std::size_t keep;
        std::uint16_t input, feature;
    };
    // Cut inside the logical maximum, inside the feature item, and inside a
    // long item's header.
    for (Case c : {Case{12, 0, 0}, Case{kCable.size() - 2, 9, 0}}) {
        const auto r = ParseHidReportDescriptor(kCable.data(), c.keep);
        EXPECT_FALSE(r.complete) << c.keep;
        EXPECT_EQ(r.input, c.input) << c.keep;
        EXPECT_EQ(r.feature, c.feature) << c.keep;
    }
    const std::vector<std::uint8_t> longCut = {0x75, 0x08, 0x95, 0x01, 0x81,
                                               0x02, 0xFE, 0x05, 0x00};
    const auto r = Parse(longCut);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.input, 2);
    EXPECT_EQ(Parse({}).input, 0);
    EXPECT_TRUE(Parse({}).complete);
}

TEST(HidDescriptor, HugeSizesAreCappedAtTheLongestPossibleReport) {
    const std::vector<std::uint8_t> d = {0x77, 0xFF, 0xFF, 0xFF, 0xFF,  // size 2^32-1
                                         0x97, 0xFF, 0xFF, 0xFF, 0xFF,  // count 2^32-1
                                         0x81, 0x02, 0x81, 0x02};
    EXPECT_EQ(Parse(d).input, 65535);
}

}  // namespace
}  // namespace varlo::test
