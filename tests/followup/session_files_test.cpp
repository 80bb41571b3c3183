// The session's save and open commands as jobs in steps, with the meter's
// frames arriving between the steps.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "SessionBench.h"
#include "recording/TableFiles.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"
#include "tablefiles/TableTestSupport.h"
#include "tablefiles/TestFiles.h"

namespace varlo {
namespace {

using test::Bench;
using test::Volts1;

// A file of this many rows takes a dozen steps and more when each step does
// its least.
constexpr std::size_t kFileRows = 20000;
constexpr auto kLeast = StepDeadline::Clock::duration::zero();

// The n-th distinct reading: 00.001, 00.002, ...
std::string NthFrame(int n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%05d", n);
    return Volts1(digits);
}

// Writes a file of kFileRows rows numbered from 1000 on.
void WriteTableFile(const std::string& path) {
    ReadingLog rows;
    for (std::size_t i = 0; i < kFileRows; ++i) {
        rows.AppendRow(static_cast<std::int32_t>(1000 + i), "08:00:00", "AC", "1.5", "V", "Pass",
                       7);
    }
    ASSERT_TRUE(IsXmlTableName(path) ? WriteTableXml(rows, path) : WriteTableText(rows, path));
}

class SessionFiles : public ::testing::Test {
  protected:
    // Records `count` readings, the first one being the n-th.
    void Record(int first, int count) {
        for (int n = first; n < first + count; ++n) b_.Frame(NthFrame(n));
    }
    // Steps the job with a frame between every two steps; the frames sent.
    int StepWithFrames(TableFileJob& job, int firstFrame) {
        int frames = 0;
        while (job.Step(kLeast)) b_.Frame(NthFrame(firstFrame + frames++));
        return frames;
    }
    // The No of each row from `first` on.
    std::vector<int> NumbersFrom(std::size_t first) const {
        std::vector<int> numbers;
        for (std::size_t row = first; row < b_.session.Log().RowCount(); ++row) {
            numbers.push_back(*b_.session.Log().Int(row, ReadingLog::kNo));
        }
        return numbers;
    }
    static std::vector<int> Range(int first, int count) {
        std::vector<int> numbers;
        for (int i = 0; i < count; ++i) numbers.push_back(first + i);
        return numbers;
    }

    testing::TempDir dir_;
    Bench b_;
};

// Rows recorded while a load runs wait and follow the loaded rows: the file's
// rows count as there from the moment the user opened it, the readings taken
// later come after them, each group in its own order.
TEST_F(SessionFiles, RowsRecordedDuringALoadFollowTheLoadedRows) {
    for (const std::string name : {"t.txt", "t.xml"}) {
        const bool xml = name == "t.xml";
        const std::string path = dir_.File(name);
        WriteTableFile(path);
        b_.dialogs.otherwise = Dialogs::Answer::Yes;
        ASSERT_TRUE(b_.session.RecordNewClick());  // each case from an empty log
        Record(1, 3);
        b_.dialogs.messages.clear();
        testing::CountingObserver observer;
        b_.session.SetLogObserver(&observer);

        const auto job = b_.session.StartOpenJob(path);
        ASSERT_NE(job, nullptr);
        const int frames = StepWithFrames(*job, 100);
        b_.session.SetLogObserver(nullptr);
        job->Finish();
        ASSERT_GT(frames, 5) << name;
        EXPECT_EQ(job->GetOutcome(), TableFileJob::Outcome::Succeeded) << name;
        EXPECT_FALSE(b_.session.FileJobRunning()) << name;

        // XML replaces the rows before the load, text adds to them.
        const std::size_t kept = xml ? 0 : 3;
        const ReadingLog& log = b_.session.Log();
        ASSERT_EQ(log.RowCount(), kept + kFileRows + static_cast<std::size_t>(frames)) << name;
        EXPECT_EQ(NumbersFrom(0).front(), xml ? 1000 : 1) << name;
        EXPECT_EQ(NumbersFrom(kept + kFileRows), Range(4, frames)) << name;
        EXPECT_EQ(log.Text(kept + kFileRows, ReadingLog::kValue), "00.100") << name;
        EXPECT_EQ(b_.session.Recording().NextRecordNo, 4 + frames) << name;

        // Told once of the file's rows, then of each waiting row.
        std::vector<std::pair<std::size_t, std::size_t>> appended;
        if (!xml) appended.emplace_back(3, 3 + kFileRows - 1);
        for (std::size_t row = kept + kFileRows; row < log.RowCount(); ++row) {
            appended.emplace_back(row, row);
        }
        EXPECT_EQ(observer.appended, appended) << name;
        EXPECT_EQ(observer.resets, xml ? 1 : 0) << name;
        EXPECT_TRUE(b_.dialogs.messages.empty()) << name;
    }
}

TEST_F(SessionFiles, ACancelledOrFailedLoadKeepsTheLogAndTheRowsRecordedMeanwhile) {
    const std::string good = dir_.File("good.txt");
    WriteTableFile(good);
    const std::string bad = dir_.File("bad.xml");
    WriteTableFile(bad);
    std::string xml = testing::ReadFile(bad);
    xml.replace(xml.rfind("</rows>"), 7, "<row>x</row></rows>");
    testing::WriteFile(bad, xml);

    Record(1, 3);
    int next = 4;
    for (const std::string& path : {good, bad}) {
        const bool cancel = path == good;
        const std::size_t before = b_.session.Log().RowCount();
        b_.dialogs.messages.clear();
        const auto job = b_.session.StartOpenJob(path);
        int frames = 0;
        while (job->Step(kLeast)) {
            b_.Frame(NthFrame(next + frames++));
            if (cancel && frames == 3) job->Cancel();
        }
        job->Finish();
        EXPECT_EQ(job->GetOutcome(),
                  cancel ? TableFileJob::Outcome::Cancelled : TableFileJob::Outcome::Failed)
            << path;
        ASSERT_GE(frames, 3) << path;
        EXPECT_EQ(NumbersFrom(0), Range(1, next - 1 + frames)) << path;
        EXPECT_EQ(b_.session.Log().RowCount(), before + static_cast<std::size_t>(frames)) << path;
        EXPECT_EQ(b_.dialogs.messages,
                  cancel ? std::vector<std::string>{}
                         : std::vector<std::string>{"Error: Failed to Load File!"})
            << path;
        next += frames;
    }
}

TEST_F(SessionFiles, WhileAJobHoldsTheLogItsOtherCommandsAreRefused) {
    const std::string file = dir_.File("t.txt");
    WriteTableFile(file);
    const std::string other = dir_.File("other.txt");
    Record(1, 3);
    b_.dialogs.otherwise = Dialogs::Answer::No;
    for (const bool save : {true, false}) {
        const auto job =
            save ? b_.session.StartSaveJob(dir_.File("saved.txt")) : b_.session.StartOpenJob(file);
        ASSERT_NE(job, nullptr);
        EXPECT_TRUE(b_.session.FileJobRunning());
        b_.dialogs.messages.clear();
        EXPECT_EQ(b_.session.StartSaveJob(other), nullptr);
        EXPECT_EQ(b_.session.StartOpenJob(file), nullptr);
        EXPECT_FALSE(b_.session.saveasClick(other));
        EXPECT_FALSE(b_.session.SpeedButton2Click(file));
        EXPECT_FALSE(b_.session.RecordNewClick());
        EXPECT_TRUE(b_.dialogs.messages.empty());  // not even the question
        EXPECT_FALSE(std::filesystem::exists(other));

        // A save leaves the log to the meter: its rows go in at once.
        const std::size_t rows = b_.session.Log().RowCount();
        b_.Frame(NthFrame(50 + (save ? 0 : 1)));
        EXPECT_EQ(b_.session.Log().RowCount(), rows + (save ? 1 : 0));

        EXPECT_TRUE(job->Run());
        EXPECT_FALSE(b_.session.FileJobRunning());
        EXPECT_FALSE(b_.session.RecordNewClick());  // asked, and answered No
        EXPECT_EQ(b_.dialogs.messages.back(), "ask: Do you want to delete this record?");
    }
    // The saved file holds the three rows of the save's start.
    ReadingLog saved;
    ASSERT_TRUE(ReadTableText(dir_.File("saved.txt"), saved));
    EXPECT_EQ(saved.RowCount(), 3u);
}

}  // namespace
}  // namespace varlo
