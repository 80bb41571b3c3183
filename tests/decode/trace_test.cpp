#include <gtest/gtest.h>

#include "decode/TraceSinks.h"

namespace varlo {
namespace {

TEST(LineSink, KeepsTheNewestThousandLinesAcrossEntryKinds) {
    LineSink sink;
    for (int i = 0; i < 995; ++i) {
        sink.Add("line " + std::to_string(i));
    }
    sink.AddFrameBitsProgression("A100000B00080D");  // 12 lines
    sink.AddRepeated("rep", 3);
    ASSERT_EQ(sink.LineCount(), 1000u);
    EXPECT_EQ(sink.TotalAdded(), 1010u);
    EXPECT_EQ(sink.Line(0), "line 10");
    EXPECT_EQ(sink.Line(984), "line 994");
    EXPECT_EQ(sink.Line(985), "0001");
    EXPECT_EQ(sink.Line(996), BuildFrameBits("A100000B00080D"));
    EXPECT_EQ(sink.Line(997), "rep");
    EXPECT_EQ(sink.LastLine(), "rep");
    // Trimming into the middle of a multi-line entry keeps its later lines.
    for (int i = 0; i < 990; ++i) {
        sink.Add("x");
    }
    EXPECT_EQ(sink.LineCount(), 1000u);
    EXPECT_EQ(sink.Line(0), BuildFrameBits("A100000B00080D", 7));  // the sixth bits line
    const auto lines = sink.Lines();
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines[0], sink.Line(0));
    EXPECT_EQ(lines[999], "x");
}

TEST(LineSink, ADayOfFramesStaysBounded) {
    LineSink sink;
    for (int i = 0; i < 200000; ++i) {
        sink.AddFrameBitsProgression("A100000B00080D");
    }
    EXPECT_EQ(sink.LineCount(), 1000u);
    EXPECT_EQ(sink.TotalAdded(), 2400000u);
}

}  // namespace
}  // namespace varlo
