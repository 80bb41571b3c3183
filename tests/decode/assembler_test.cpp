#include <gtest/gtest.h>

#include "DecodeFixture.h"

namespace varlo::test {
namespace {

const std::vector<std::uint8_t> kExampleBlock = {0x0A, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30,
                                                 0x3B, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D};

TEST(SerialAssembly, ExampleBlockDecodesOnceWhateverTheBlockSize) {
    for (std::size_t block :
         {kExampleBlock.size(), std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
        Meter meter;
        for (std::size_t i = 0; i < kExampleBlock.size(); i += block) {
            const std::size_t n = std::min(block, kExampleBlock.size() - i);
            meter.assembler.KESTODATA(kExampleBlock.data() + i, n);
        }
        EXPECT_EQ(meter.decodedFrames, std::vector<std::string>{"A100000B00080D"}) << block;
        EXPECT_EQ(meter.traces.USBtxt.Text(), "A100000B00080D");
        EXPECT_TRUE(meter.assembler.NibbleBuffer().empty());
    }
}

TEST(SerialAssembly, StartInTheMiddleOfAFrameDropsOnlyThePartialOne) {
    Meter meter;
    auto bytes = WireBytes("A212345B00040D");
    std::vector<std::uint8_t> stream(bytes.begin() + 5, bytes.end());
    for (int i = 0; i < 2; ++i) {
        const auto more = WireBytes("A100123B00080D");
        stream.insert(stream.end(), more.begin(), more.end());
    }
    meter.Serial(stream);
    EXPECT_EQ(meter.assembler.DroppedCount(), 1u);
    EXPECT_EQ(meter.decodedFrames, (std::vector<std::string>{"A100123B00080D", "A100123B00080D"}));
}

TEST(SerialAssembly, ThirteenDataBytesAreCutAtFourteenCharacters) {
    Meter meter;
    // LF, 13 data bytes, CR: the fourteenth character is a data nibble.
    std::vector<std::uint8_t> stream = {0x0A, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30, 0x3B,
                                        0x30, 0x30, 0x30, 0x38, 0x30, 0x35, 0x0D};
    meter.Serial(stream);
    EXPECT_TRUE(meter.decodedFrames.empty());
    EXPECT_EQ(meter.assembler.FrameText(), "A100000B000805");
    EXPECT_EQ(meter.assembler.DroppedCount(), 1u);
    // Unless that nibble happens to be "D".
    stream[13] = 0x3D;
    meter.Serial(stream);
    EXPECT_EQ(meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
}

TEST(SerialAssembly, OnlyTheByte0x0DEndsAFrame) {
    // 0x3D and 0x8D carry the nibble D but are data.
    Meter meter;
    std::vector<std::uint8_t> stream = {0x0A, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30,
                                        0x3B, 0x30, 0x30, 0x3D, 0x38, 0x8D, 0x0D};
    meter.Serial(stream);
    EXPECT_EQ(meter.decodedFrames, std::vector<std::string>{"A100000B00D8DD"});
}

TEST(SerialAssembly, ALineWithoutCarriageReturnsKeepsFourteenCharacters) {
    Meter meter;
    std::vector<std::uint8_t> noise(100000, 0x3A);
    meter.Serial(noise);
    EXPECT_EQ(meter.assembler.NibbleBuffer(), std::string(14, 'A'));
    meter.Serial({0x0D});
    EXPECT_EQ(meter.assembler.FrameText(), std::string(14, 'A'));
    EXPECT_EQ(meter.assembler.DroppedCount(), 1u);
}

TEST(SerialAssembly, ElevenCharacterVariantFrames) {
    Meter meter;
    // LF, nine data bytes, CR: characters 2 to 10 and "DA".
    std::vector<std::uint8_t> stream = {0x0A, 0x31, 0x30, 0x30, 0x30, 0x30,
                                        0x30, 0x3B, 0x30, 0x30, 0x0D};
    meter.assembler.TRIVAData(stream.data(), stream.size());
    EXPECT_EQ(meter.traces.USBtxt.Text(), "100000B00DA");
    EXPECT_EQ(meter.decodedFrames, std::vector<std::string>{"100000B00DA"});
}

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> report, std::size_t size = 9) {
    report.resize(std::max(size, report.size()), 0x00);
    return report;
}

TEST(HidAssembly, ReportsOfTheExampleCompleteOneFrameAtTheIdleReport) {
    Meter meter;
    meter.Report(Padded({0x00, 0xF2, 0x31, 0x30}));
    meter.Report(Padded({0x00, 0xF5, 0x30, 0x30, 0x30, 0x30, 0x3B}));
    meter.Report(Padded({0x00, 0xF5, 0x30, 0x30, 0x30, 0x38, 0x30, 0x77}));  // 0x77 not counted
    meter.Report(Padded({0x00, 0xF2, 0x0D, 0x0A}));
    EXPECT_EQ(meter.assembler.IdleReportCount(), 0);
    EXPECT_TRUE(meter.decodedFrames.empty());
    EXPECT_TRUE(meter.assembler.ReportDataPending());
    meter.Report(Padded({0x00, 0xF0}));
    EXPECT_EQ(meter.assembler.IdleReportCount(), 1);
    EXPECT_EQ(meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
    EXPECT_FALSE(meter.assembler.ReportDataPending());
    EXPECT_TRUE(meter.assembler.FrameText().empty());
    // Traces: a history line per data report, selected; the byte buffer and
    // the frame before its line feed moved to the front.
    EXPECT_EQ(meter.traces.HistoryListBox.LineCount(), 4u);
    EXPECT_EQ(meter.traces.HistoryListBox.Line(0), "R 00  F2 31 30 00 00 00 00 00 ");
    EXPECT_EQ(meter.traces.HistoryListBox.SelectedIndex(), 3);
    EXPECT_EQ(meter.traces.Memo2.Line(0),
              std::string("3130") + "303030303B" + "3030303830" + "0D0A");
    EXPECT_EQ(meter.traces.Memo1.Line(0), "100000B00080DA");
}

TEST(HidAssembly, EmptyReportCompletesAPendingFrameWithoutCountingAsIdle) {
    Meter meter;
    meter.Report({0x00, 0xF7, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30, 0x3B});
    meter.Report({0x00, 0xF7, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D, 0x0A});
    meter.Report({0x00});  // Size 0
    EXPECT_EQ(meter.assembler.IdleReportCount(), 0);
    EXPECT_EQ(meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
    meter.Report({0x00});
    EXPECT_EQ(meter.assembler.IdleReportCount(), 0);
}

TEST(HidAssembly, TwoFramesWithoutIdleBetweenKeepOnlyTheFirst) {
    Meter meter;
    for (int i = 0; i < 2; ++i) {
        meter.Report({0x00, 0xF7, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30, 0x3B});
        meter.Report({0x00, 0xF7, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D, 0x0A});
    }
    EXPECT_EQ(meter.assembler.ReportHexBuffer().size(), 28u);
    meter.Report(Padded({0x00, 0xF0}));
    EXPECT_EQ(meter.decodedFrames, std::vector<std::string>{"A100000B00080D"});
}

TEST(HidAssembly, CountLargerThanTheBytesPresentTakesWhatIsThere) {
    Meter meter;
    meter.Report({0x00, 0xF9, 0x31, 0x30});
    EXPECT_EQ(meter.assembler.ReportHexBuffer(), "3130");
    // A letter as the count digit is not data: it counts as idle.
    meter.Report({0x00, 0xFA, 0x31});
    EXPECT_EQ(meter.assembler.IdleReportCount(), 1);
}

TEST(HidAssembly, FirstFrameAfterSerialReceptionIsBuiltOnTheOldFrameText) {
    Meter meter;
    meter.Serial(kExampleBlock);
    ASSERT_EQ(meter.decodedFrames.size(), 1u);
    auto sendFrame = [&] {
        meter.Report({0x00, 0xF7, 0x31, 0x30, 0x30, 0x31, 0x32, 0x33, 0x3B});
        meter.Report({0x00, 0xF7, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D, 0x0A});
        meter.Report(Padded({0x00, 0xF0}));
    };
    sendFrame();
    EXPECT_EQ(meter.decodedFrames.size(), 1u);
    EXPECT_EQ(meter.assembler.DroppedCount(), 1u);
    sendFrame();
    EXPECT_EQ(meter.decodedFrames.back(), "A100123B00080D");
}

TEST(HidAssembly, FrameBuiltOnAnOldSerialFrameIsCutToFourteenCharacters) {
    // The old frame's first 13 characters behind its 14th: never a phantom
    // reading made of the two, whichever serial frame came before.
    for (const char* serialFrame : {"A100000B0008DD", "A1100000B0008D"}) {
        Meter meter;
        const std::string text(serialFrame);
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 1; i < text.size() - 1; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(
                0x30 + (text[i] <= '9' ? text[i] - '0' : text[i] - 'A' + 10)));
        }
        bytes.push_back(0x0D);
        meter.Serial(bytes);  // dropped: no leading line feed
        meter.Report({0x00, 0xF7, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30, 0x3B});
        meter.Report({0x00, 0xF7, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D, 0x0A});
        meter.Report(Padded({0x00, 0xF0}));
        EXPECT_TRUE(meter.decodedFrames.empty()) << serialFrame;
        EXPECT_EQ(meter.decoder.RejectedCount(), 0u) << serialFrame;
        EXPECT_EQ(meter.assembler.DroppedCount(), 2u) << serialFrame;
    }
}

TEST(HidAssembly, ReadHandlerAssemblesButNeverDecodes) {
    Meter meter;
    auto report = [&](std::vector<std::uint8_t> r) {
        const std::uint8_t id = r.front();
        r.erase(r.begin());
        meter.assembler.HidReadData(id, r.data(), static_cast<std::uint16_t>(r.size()));
    };
    report({0x00, 0xF7, 0x31, 0x30, 0x30, 0x30, 0x30, 0x30, 0x3B});
    report({0x00, 0xF7, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D, 0x0A});
    report({0x00, 0xF0});
    EXPECT_TRUE(meter.decodedFrames.empty());
    EXPECT_EQ(meter.traces.USBtxt.Text(), "100000B00080DA");
    EXPECT_EQ(meter.assembler.FrameText(), "100000B00080DA");
    EXPECT_TRUE(meter.assembler.ReportHexBuffer().empty());
}

TEST(HidAssembly, RejectedFramesStillResetTheIdleCount) {
    Meter meter;
    meter.Report({0x00, 0xF1, 0x30});
    meter.Report(Padded({0x00, 0xF0}));
    meter.Report(Padded({0x00, 0xF0}));
    EXPECT_EQ(meter.assembler.IdleReportCount(), 2);
    // A frame with a hexadecimal digit is rejected, but its data reports
    // still show that the meter talks.
    meter.Report({0x00, 0xF7, 0x31, 0x30, 0x30, 0x30, 0x3A, 0x30, 0x3B});
    meter.Report({0x00, 0xF7, 0x30, 0x30, 0x30, 0x38, 0x30, 0x0D, 0x0A});
    EXPECT_EQ(meter.assembler.IdleReportCount(), 0);
    meter.Report(Padded({0x00, 0xF0}));
    EXPECT_EQ(meter.decoder.RejectedCount(), 1u);
    EXPECT_TRUE(meter.decodedFrames.empty());
}

}  // namespace
}  // namespace varlo::test
