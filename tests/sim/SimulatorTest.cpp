#include <gtest/gtest.h>

#include <set>

#include "common/Hex.h"
#include "decode/FrameAssembler.h"
#include "decode/Locale.h"
#include "decode/MeterDecoder.h"
#include "decode/TraceSinks.h"
#include "sim/HidReports.h"
#include "sim/MeterFrame.h"
#include "sim/Noise.h"
#include "sim/Scenarios.h"
#include "sim/SimOptions.h"
#include "sim/SimRunner.h"

namespace varlo::sim {
namespace {

TEST(MeterFrame, WorkedExampleOnTheWire) {
    MeterFrame s;
    s.function = 11;
    s.range = 1;
    s.digits = Digits(0);
    s.option3 = kOptDC;
    EXPECT_EQ(FrameBytes(s), (Bytes{0x31, 0x30, 0x30, 0x30, 0x30, 0x30, 0x3B, 0x30, 0x30, 0x30,
                                    0x38, 0x30, 0x0D, 0x0A}));
    EXPECT_EQ(FrameText(s), "A100000B00080D");

    s.digits = Digits(12345);
    s.minus = s.battery = s.overload = s.duty = s.rel = s.dutyOverload = s.hold = true;
    s.option3 = 11;
    EXPECT_EQ(FrameText(s), "A112345BF28B2D");
}

// What a frame's nibbles ask the decoder for.
struct Features {
    std::set<std::pair<int, int>> functionRanges;
    std::set<int> option3, dutyFunctions;
    bool minus = false, battery = false, overload = false, rel = false, dutyOverload = false,
         hold = false, autoRange = false, manual = false;
};

Features Collect(const std::vector<MeterFrame>& frames) {
    Features f;
    for (const MeterFrame& s : frames) {
        f.functionRanges.insert({s.function, s.range});
        f.option3.insert(s.option3);
        if (s.duty) f.dutyFunctions.insert(s.function);
        f.minus |= s.minus;
        f.battery |= s.battery;
        f.overload |= s.overload;
        f.rel |= s.rel;
        f.dutyOverload |= s.dutyOverload;
        f.hold |= s.hold;
        ((s.option3 & kOptAuto) ? f.autoRange : f.manual) = true;
    }
    return f;
}

TEST(Scenarios, TourShowsEverythingTheDecoderKnows) {
    const auto tour = TourFrames();
    const Features f = Collect(tour);
    // Every function of the decoder's table with every range it lists.
    const std::pair<int, int> functions[] = {{0, 1}, {1, 1}, {2, 8},  {3, 7},  {4, 1}, {5, 1},
                                             {6, 8}, {9, 4}, {11, 5}, {13, 2}, {15, 2}};
    for (auto [function, ranges] : functions) {
        for (int r = 0; r < ranges; ++r) {
            EXPECT_TRUE(f.functionRanges.count({function, r})) << function << " range " << r;
        }
    }
    for (int code : {4, 6, 8, 10, 7, 9, 11}) EXPECT_TRUE(f.option3.count(code)) << code;
    EXPECT_EQ(f.dutyFunctions, (std::set<int>{0, 2, 11, 13, 15}));
    EXPECT_TRUE(f.minus && f.battery && f.overload && f.rel && f.dutyOverload && f.hold);
    EXPECT_TRUE(f.autoRange && f.manual);
    for (const MeterFrame& s : tour) {
        for (auto d : s.digits) EXPECT_LE(d, 9) << FrameText(s);
    }
}

TEST(Scenarios, SweepClimbsAcrossTheRangesAndComesBack) {
    std::vector<std::uint8_t> ranges;
    double previous = -1;
    bool rising = true;
    int turns = 0;
    auto volts = [](const MeterFrame& s) {
        unsigned counts = 0;
        for (auto d : s.digits) counts = counts * 10 + d;
        const double perCount[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e-5};
        return counts * perCount[s.range];
    };
    for (std::uint64_t i = 0; i <= 400; ++i) {
        const MeterFrame s = SweepFrame(i, 200);
        EXPECT_EQ(s.function, 11);
        EXPECT_EQ(s.option3, kOptDC | kOptAuto);
        if (ranges.empty() || ranges.back() != s.range) ranges.push_back(s.range);
        const double v = volts(s);
        if (previous >= 0 && rising && v < previous) {
            rising = false;
            ++turns;
        }
        if (previous >= 0) {
            EXPECT_TRUE(rising ? v >= previous : v <= previous) << i;
        }
        previous = v;
    }
    EXPECT_EQ(turns, 1);
    EXPECT_EQ(ranges, (std::vector<std::uint8_t>{4, 0, 1, 2, 3, 2, 1, 0, 4}));
    EXPECT_NEAR(volts(SweepFrame(200, 200)), 1000, 0.1);
}

TEST(Scenarios, RandomFramesAreValidAndRepeatable) {
    SimRandom a(7), b(7), c(8);
    int differ = 0;
    for (int i = 0; i < 500; ++i) {
        const MeterFrame s = RandomFrame(a);
        const std::string text = FrameText(s);
        EXPECT_EQ(text, FrameText(RandomFrame(b)));
        if (text != FrameText(RandomFrame(c))) ++differ;
        EXPECT_LE(s.range, 9) << text;
        for (auto d : s.digits) EXPECT_LE(d, 9) << text;
    }
    EXPECT_GT(differ, 450) << "another seed gives other frames";
}

TEST(Scenarios, CaptureStepsEndAtEachCrLf) {
    const Bytes capture = {'1', 0x0D, 0x0A, 0x0A, '2', 0x0D, 0x0D, 0x0A, '3'};
    const auto steps = SplitCapture(capture);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0], (Bytes{'1', 0x0D, 0x0A}));
    EXPECT_EQ(steps[1], (Bytes{0x0A, '2', 0x0D, 0x0D, 0x0A}));
    EXPECT_EQ(steps[2], (Bytes{'3'}));
    EXPECT_TRUE(SplitCapture({}).empty());
}

TEST(HidReports, FramesSplitIntoCountedPaddedReports) {
    EXPECT_EQ(ReportLine(nullptr, 0), "00 F0 00 00 00 00 00 00 00");
    const std::uint8_t two[] = {0x31, 0x30};
    EXPECT_EQ(ReportLine(two, 2), "00 F2 31 30 00 00 00 00 00");

    MeterFrame s = SteadyFrame();
    const Bytes bytes = FrameBytes(s);
    SimRandom random(3);
    std::set<std::size_t> sizes;
    for (int frame = 0; frame < 200; ++frame) {
        const auto lines = FrameReports(bytes, random, 3);
        Bytes data;
        std::size_t idle = 0;
        for (const std::string& line : lines) {
            ASSERT_EQ(line.size(), 26u) << line;
            EXPECT_EQ(line.substr(0, 4), "00 F");
            const std::size_t n = std::stoul(line.substr(4, 1), nullptr, 16);
            if (n == 0) {
                ++idle;
                EXPECT_EQ(line, ReportLine(nullptr, 0));
                continue;
            }
            EXPECT_EQ(idle, 0u) << "idle reports come after the data";
            ASSERT_LE(n, 7u);
            sizes.insert(n);
            for (std::size_t k = 0; k < 7; ++k) {
                const auto byte =
                    static_cast<std::uint8_t>(std::stoul(line.substr(6 + 3 * k, 2), nullptr, 16));
                if (k < n)
                    data.push_back(byte);
                else
                    EXPECT_EQ(byte, 0) << line;
            }
        }
        EXPECT_EQ(data, bytes);
        EXPECT_EQ(idle, 3u);
    }
    EXPECT_EQ(sizes, (std::set<std::size_t>{1, 2, 3, 4, 5, 6, 7}));
}

// The receiver of the program: assembler and decoder, counting for each
// decoded frame the step of the stream it was completed in.
struct Receiver {
    FixedLocale locale;
    TraceSinks traces;
    MeterDecoder decoder{traces, locale};
    FrameAssembler assembler{traces, decoder};
    std::vector<std::pair<std::string, std::uint64_t>> decoded;
    std::uint64_t step = 0;

    Receiver() {
        decoder.SetOnDecoded([this] { decoded.emplace_back(decoder.FrameText(), step); });
    }
    void Feed(std::uint64_t stepIndex, const Bytes& bytes) {
        step = stepIndex;
        assembler.KESTODATA(bytes.data(), bytes.size());
    }
};

TEST(Noise, DecodedFramesAreSentOnesOrMarkedCorrupted) {
    for (double p : {0.0, 0.002, 0.02}) {
        auto source = MakeScenarioSource(Scenario::Random, 11);
        NoiseInjector noise(p, 12);
        std::vector<Corruption> log;
        std::vector<std::string> sent;
        Receiver receiver;
        receiver.Feed(0, {0x0A});  // the LF of a frame before the first
        for (std::uint64_t i = 0; i < 3000; ++i) {
            const Bytes clean = *source->next();
            std::string text = "A";
            for (std::size_t k = 0; k < 12; ++k) text += HexDigit(clean[k]);
            sent.push_back(text + "D");
            receiver.Feed(i, noise.apply(i, clean, log));
        }
        std::set<std::uint64_t> corrupted;
        for (const Corruption& c : log) {
            corrupted.insert(c.frame);
            EXPECT_LT(c.offset, 14u);
        }
        EXPECT_EQ(noise.corruptedBytes(), log.size());
        EXPECT_EQ(noise.corruptedFrames(), corrupted.size());
        if (p == 0) {
            EXPECT_TRUE(log.empty());
        }
        if (p == 0.02) {
            EXPECT_NEAR(static_cast<double>(log.size()) / (3000 * 14), p, 0.005);
        }
        // A frame is whole when neither it nor the frame before it (whose LF
        // starts it) was touched.
        auto touched = [&](std::uint64_t j) {
            return corrupted.count(j) || (j > 0 && corrupted.count(j - 1));
        };
        std::set<std::uint64_t> decodedSteps;
        for (const auto& [text, j] : receiver.decoded) {
            if (!touched(j)) {
                EXPECT_EQ(text, sent[j]) << "frame " << j;
            }
            if (text == sent[j]) decodedSteps.insert(j);
        }
        for (std::uint64_t j = 0; j < sent.size(); ++j) {
            if (!touched(j)) {
                EXPECT_TRUE(decodedSteps.count(j)) << "untouched frame " << j << " lost";
            }
        }
        if (p == 0) {
            EXPECT_EQ(receiver.decoded.size(), sent.size());
            EXPECT_EQ(receiver.assembler.DroppedCount(), 0u);
        }
        if (p == 0.02) {
            EXPECT_GT(receiver.assembler.DroppedCount(), 100u) << "the noise reaches the receiver";
        }
    }
}

TEST(Scenarios, EveryTourFrameDecodesAsSent) {
    Receiver receiver;
    Bytes stream = {0x0A};
    const auto tour = TourFrames();
    for (const MeterFrame& s : tour) {
        const Bytes b = FrameBytes(s);
        stream.insert(stream.end(), b.begin(), b.end());
    }
    receiver.Feed(0, stream);
    ASSERT_EQ(receiver.decoded.size(), tour.size());
    for (std::size_t i = 0; i < tour.size(); ++i) {
        EXPECT_EQ(receiver.decoded[i].first, FrameText(tour[i]));
    }
    EXPECT_EQ(receiver.decoder.RejectedCount(), 0u);
}

TEST(Noise, LogLines) {
    EXPECT_EQ(FormatCorruption({12, 3, CorruptionKind::Flip}), "frame 12 offset 3 flip");
    EXPECT_EQ(FormatCorruption({0, 13, CorruptionKind::Drop}), "frame 0 offset 13 drop");
    EXPECT_EQ(FormatCorruption({5, 0, CorruptionKind::Insert}), "frame 5 offset 0 insert");
}

TEST(SimOptions, GoodArguments) {
    auto parse = [](std::vector<std::string> args) {
        SimParse p = ParseSimOptions(args);
        EXPECT_TRUE(p.options) << p.error;
        return p.options.value_or(SimOptions{});
    };
    SimOptions o = parse({});
    EXPECT_EQ(o.scenario, Scenario::Tour);
    EXPECT_EQ(o.rate.kind, RateKind::PerSecond);
    EXPECT_EQ(o.rate.framesPerSecond, 2);
    EXPECT_EQ(o.output, SimOutput::Terminal);
    EXPECT_EQ(o.idle, 3);
    EXPECT_FALSE(o.count || o.seed || o.port || o.replay || o.noiseLog);

    o = parse({"--port", "/dev/ttyUSB0", "--scenario", "sweep", "--rate", "line", "--count", "10",
               "--noise", "0.01", "--noise-log", "n.log", "--seed", "42"});
    EXPECT_EQ(o.port, "/dev/ttyUSB0");
    EXPECT_EQ(o.scenario, Scenario::Sweep);
    EXPECT_EQ(o.rate.kind, RateKind::Line);
    EXPECT_EQ(o.count, 10u);
    EXPECT_EQ(o.noise, 0.01);
    EXPECT_EQ(o.noiseLog, "n.log");
    EXPECT_EQ(o.seed, 42u);

    EXPECT_EQ(parse({"--rate", "0"}).rate.kind, RateKind::Fastest);
    EXPECT_EQ(parse({"--rate=12.5"}).rate.framesPerSecond, 12.5);
    EXPECT_EQ(parse({"--rate", "0.001"}).rate.framesPerSecond, 0.001);
    o = parse({"--reports", "--idle", "0", "--replay", "cap.bin"});
    EXPECT_EQ(o.output, SimOutput::Reports);
    EXPECT_EQ(o.idle, 0);
    EXPECT_EQ(o.replay, "cap.bin");
    EXPECT_EQ(parse({"--raw", "--scenario", "random"}).output, SimOutput::Raw);
    EXPECT_TRUE(ParseSimOptions({"--help"}).help);
}

TEST(SimOptions, BadArgumentsSayWhy) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--scenario", "zigzag"}, "unknown scenario 'zigzag'"},
        {{"--rate", "fast"}, "--rate must be"},
        {{"--rate", "-3"}, "--rate must be"},
        {{"--rate", "1e-10"}, "--rate must be frames per second from 0.001 to 1000000"},
        {{"--rate", "2e6"}, "--rate must be frames per second from 0.001 to 1000000"},
        {{"--count", "x"}, "--count must be a number"},
        {{"--count"}, "--count needs a value"},
        {{"--noise", "1.5"}, "--noise must be a fraction"},
        {{"--seed", "-1"}, "--seed must be a number"},
        {{"--raw", "--reports"}, "exclude each other"},
        {{"--idle", "3"}, "--idle goes with --reports"},
        {{"--port", "/dev/x", "--raw"}, "--port writes to a device"},
        {{"--replay", "f", "--scenario", "tour"}, "in place of a scenario"},
        {{"--raw=1"}, "--raw takes no value"},
        {{"--bogus"}, "unknown option '--bogus'"},
    };
    for (const auto& [args, words] : cases) {
        const SimParse p = ParseSimOptions(args);
        EXPECT_FALSE(p.options) << words;
        EXPECT_NE(p.error.find(words), std::string::npos) << p.error;
    }
}

TEST(SimRate, StepTimes) {
    EXPECT_DOUBLE_EQ(StepSeconds({RateKind::PerSecond, 2}, 14), 0.5);
    EXPECT_NEAR(1.0 / StepSeconds({RateKind::Line, 0}, 14), 137.14, 0.01);
    EXPECT_EQ(StepSeconds({RateKind::Fastest, 0}, 14), 0);
}

}  // namespace
}  // namespace varlo::sim
