// The check of a noisy run: frames completed against frames sent and the
// noise log, on made-up runs and on the real simulator's noisy stream
// through a session.
#include <gtest/gtest.h>

#include <sstream>

#include "CountingDialogs.h"
#include "FrameLedger.h"
#include "NoiseCheck.h"
#include "SimulatorRunner.h"
#include "followup/MeterSession.h"
#include "platform/SystemLocale.h"
#include "recording/LocalClock.h"

namespace varlo::load {
namespace {

using Outcome = CompletedFrame::Outcome;

std::vector<SentFrame> Sent(int count) {
    std::vector<SentFrame> sent;
    for (int i = 0; i < count; ++i) {
        sent.push_back({"A00000" + std::to_string(10000 + i) + "0D", {"DC", std::to_string(i)}});
    }
    return sent;
}

NoiseMarks Marks(const std::string& log) {
    std::istringstream in(log);
    return NoiseMarks(ParseNoiseLog(in, "noise.log"));
}

// Made-up runs of six frames: what the check counts and whether it finds a
// fault. A completed frame's row holds the reading it was recorded with.
TEST(NoiseCheck, CountsWhatTheNoiseDidAndFindsWhatItDidNot) {
    const std::vector<SentFrame> sent = Sent(6);
    struct Frame {
        std::string text;
        Outcome outcome;
        std::string value;  // its recorded Value, "" for no row
    };
    auto clean = [&](int i) { return Frame{sent[i].text, Outcome::Decoded, std::to_string(i)}; };
    const struct {
        const char* what;
        std::vector<Frame> frames;
        std::string log;
        std::size_t matched, lost, dropped, rejected, recorded;
        bool fault;
    } cases[] = {
        {"every frame as sent",
         {clean(0), clean(1), clean(2), clean(3), clean(4), clean(5)},
         "",
         6,
         0,
         0,
         0,
         0,
         false},
        {"a marked frame garbled but recorded, one dropped after it",
         {clean(0),
          clean(1),
          {"A0000099999B0D", Outcome::Decoded, "7"},
          {"A2", Outcome::Dropped, ""},
          clean(3),
          clean(4),
          clean(5)},
         "frame 2 offset 3 flip\nframe 2 offset 7 insert\n",
         5,
         1,
         1,
         0,
         1,
         false},
        {"a carriage return dropped: two frames lost, one bad frame",
         {clean(0), {"A000001000100A", Outcome::Dropped, ""}, clean(3), clean(4), clean(5)},
         "frame 1 offset 12 drop\n",
         4,
         2,
         1,
         0,
         0,
         false},
        {"a garbled frame the log does not mark",
         {clean(0),
          clean(1),
          {"A0000099999B0D", Outcome::Rejected, ""},
          clean(3),
          clean(4),
          clean(5)},
         "frame 4 offset 3 flip\n",
         5,
         0,
         0,
         1,
         0,
         true},
        {"a frame that never came",
         {clean(0), clean(1), clean(2), clean(3), clean(4)},
         "",
         5,
         0,
         0,
         0,
         0,
         true},
        {"a clean frame dropped",
         {clean(0), {sent[1].text, Outcome::Dropped, ""}, clean(2), clean(3), clean(4), clean(5)},
         "frame 1 offset 3 flip\n",
         5,
         0,
         0,
         0,
         0,
         true},
        {"a clean frame recorded with another reading",
         {clean(0), clean(1), {sent[2].text, Outcome::Decoded, "3"}, clean(3), clean(4), clean(5)},
         "",
         5,
         0,
         0,
         0,
         0,
         true},
    };
    for (const auto& c : cases) {
        std::vector<CompletedFrame> completed;
        std::vector<std::string> values;
        for (const Frame& frame : c.frames) {
            CompletedFrame done{frame.text, frame.outcome, std::nullopt};
            if (!frame.value.empty()) {
                done.row = values.size();
                values.push_back(frame.value);
            }
            completed.push_back(done);
        }
        const NoiseFindings f =
            CheckAgainstSent(sent, completed, Marks(c.log), [&](std::size_t row) {
                return std::vector<std::string>{"DC", values.at(row)};
            });
        EXPECT_EQ(f.matched, c.matched) << c.what;
        EXPECT_EQ(f.lost, c.lost) << c.what;
        EXPECT_EQ(f.badDropped, c.dropped) << c.what;
        EXPECT_EQ(f.badRejected, c.rejected) << c.what;
        EXPECT_EQ(f.badRecorded, c.recorded) << c.what;
        EXPECT_EQ(!f.faults.empty(), c.fault) << c.what << ": " << testing::PrintToString(f.faults);
    }
}

// The simulator's noisy stream through a session, as the window gets it
// over the serial line: every completed frame is accounted for by the
// frames regenerated from the seed and the noise log; one byte changed
// that the log does not know of is found.
TEST(NoiseCheck, TheSimulatorsNoisyStreamThroughASession) {
    const std::string logPath = testing::TempDir() + "noise-check.log";
    SimulatorRunner sim(VARLO_CLI_PATH);
    sim.StartStream({"--raw", "--scenario", "random", "--rate", "0", "--count", "3000", "--noise",
                     "0.01", "--noise-log", logPath, "--seed", "11"});
    std::vector<std::uint8_t> stream;
    std::uint8_t block[2048];
    while (const std::size_t got = sim.Read(block, sizeof block)) {
        stream.insert(stream.end(), block, block + got);
    }
    sim.Wait(std::chrono::seconds(30));
    ASSERT_TRUE(sim.Summary()) << sim.Errors();
    ASSERT_GT(sim.Summary()->corruptedBytes, 100u);
    const NoiseMarks marks(ReadNoiseLog(logPath));
    ASSERT_EQ(marks.Entries(), sim.Summary()->corruptedBytes);

    const SystemLocale locale;
    const std::vector<SentFrame> sent = RegenerateSentFrames("random", 11, 3000, locale);
    auto run = [&](const std::vector<std::uint8_t>& bytes) {
        CountingDialogs dialogs;
        const SystemLocalClock clock;
        MeterSession session(locale, clock, dialogs);
        session.limitessClick();
        FrameLedger ledger(session);
        for (std::size_t at = 0; at < bytes.size(); at += 2048) {
            session.OnSerialData(bytes.data() + at, std::min<std::size_t>(2048, bytes.size() - at));
        }
        return CheckAgainstSent(sent, ledger.Frames(), marks, [&](std::size_t row) {
            std::vector<std::string> fields;
            for (int column : kComparedColumns) fields.push_back(session.Log().Text(row, column));
            return fields;
        });
    };
    const NoiseFindings f = run(stream);
    EXPECT_TRUE(f.faults.empty()) << testing::PrintToString(f.faults);
    EXPECT_GT(f.matched, 2000u);
    EXPECT_GT(f.lost, 0u);
    EXPECT_GT(f.badDropped + f.badRejected, 0u);
    EXPECT_EQ(f.matched + f.lost, 3000u);

    // A digit of the last frame changed on the way, unknown to the log.
    std::vector<std::uint8_t> changed = stream;
    changed[changed.size() - 10] ^= 0x01;
    ASSERT_FALSE(marks.Touched(2999));
    EXPECT_FALSE(run(changed).faults.empty());
}

}  // namespace
}  // namespace varlo::load
