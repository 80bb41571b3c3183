// Saves and loads in steps: what the file and the log hold when rows arrive
// between steps, when a job is cancelled and when it fails.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "TableTestSupport.h"
#include "TestFiles.h"
#include "recording/SafeFileWriter.h"
#include "recording/TableFiles.h"
#include "recording/TableLoadJob.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"

namespace varlo {
namespace {

using testing::RowsOf;

const std::string kLoadFailed = "Error: Failed to Load File!";
// Enough rows for a dozen steps when each step does its least (a text load
// reads 64 KiB at the least).
constexpr std::size_t kRows = 3000;
constexpr std::size_t kLoadRows = 20000;

// Rows as the recorder fills them, with a few texts of other shapes.
void Fill(ReadingLog& log, std::size_t rows, int first = 1) {
    for (std::size_t i = 0; i < rows; ++i) {
        const int no = first + static_cast<int>(i);
        log.AppendRow(no, "12:00:" + std::to_string(10 + i % 50), i % 3 ? "DC" : "",
                      "0" + std::to_string(i % 10) + ".123", i % 7 ? "V" : "&  *",
                      i % 11 ? "Pass" : "Fail", no);
    }
}

// Steps with the least budget, running `between` after every step that
// leaves more to do, as the window's event loop does. Returns the steps.
int StepThrough(TableFileJob& job, const std::function<void()>& between = {}) {
    int steps = 1;
    while (job.Step(StepDeadline::Clock::duration::zero())) {
        ++steps;
        if (between) between();
    }
    return steps;
}

// The one-call writer and reader of a file's format.
bool WriteByName(const ReadingLog& log, const std::string& path) {
    return IsXmlTableName(path) ? WriteTableXml(log, path) : WriteTableText(log, path);
}
bool ReadByName(const std::string& path, ReadingLog& log) {
    return IsXmlTableName(path) ? ReadTableXml(path, log) : ReadTableText(path, log);
}

const char* const kFormats[] = {"t.txt", "t.xml"};

class TableFileJobTest : public ::testing::Test {
  protected:
    void TearDown() override { SetSafeFileFaultForTesting(SafeFileFault::None); }
    std::string Saved(const std::string& path) const {
        return "save table to specified file: " + path + " Scuss!";
    }

    testing::TempDir dir_;
    testing::RecordingDialogs dialogs_;
    int released_ = 0;
    std::function<void()> release_ = [this] { ++released_; };
};

TEST_F(TableFileJobTest, ASaveWritesTheRowsOfItsStartWhileRowsAreAppended) {
    for (const std::string name : kFormats) {
        ReadingLog log;
        Fill(log, kRows);
        ReadingLog atStart;
        Fill(atStart, kRows);
        const std::string expected = dir_.File("expected-" + name);
        ASSERT_TRUE(WriteByName(atStart, expected));

        const std::string path = dir_.File(name);
        testing::WriteFile(path, "old content");
        dialogs_.messages.clear();
        released_ = 0;
        const auto job = MakeSaveJob(log, path, dialogs_, release_);
        std::uint64_t lastDone = 0;
        bool monotonic = true;
        const int steps = StepThrough(*job, [&] {
            // A row arrives from the meter between steps.
            Fill(log, 1, 90000);
            const auto progress = job->GetProgress();
            monotonic = monotonic && progress.done >= lastDone && progress.total == kRows;
            lastDone = progress.done;
        });
        EXPECT_GT(steps, 5) << name;
        EXPECT_TRUE(monotonic) << name;
        EXPECT_EQ(job->GetProgress().done, kRows) << name;
        EXPECT_EQ(job->GetOutcome(), TableFileJob::Outcome::Succeeded) << name;
        EXPECT_EQ(released_, 1) << name;
        // Messages only at Finish: none for XML.
        EXPECT_TRUE(dialogs_.messages.empty()) << name;
        job->Finish();
        job->Finish();
        const bool text = name == "t.txt";
        EXPECT_EQ(dialogs_.messages,
                  text ? std::vector<std::string>{Saved(path)} : std::vector<std::string>{})
            << name;

        EXPECT_EQ(testing::ReadFile(path), testing::ReadFile(expected)) << name;
        // The rows recorded meanwhile stay in the log, after the rows saved.
        ASSERT_EQ(log.RowCount(), kRows + static_cast<std::size_t>(steps - 1)) << name;
        EXPECT_EQ(log.Int(kRows, ReadingLog::kNo), 90000) << name;
    }
}

TEST_F(TableFileJobTest, ACancelledOrFailedSaveLeavesTheOldFileAsItWas) {
    ReadingLog log;
    Fill(log, kRows);
    for (const std::string name : kFormats) {
        const std::string path = dir_.File(name);
        testing::WriteFile(path, "old content");
        dialogs_.messages.clear();
        released_ = 0;

        // Cancelled halfway through the rows.
        auto job = MakeSaveJob(log, path, dialogs_, release_);
        ASSERT_TRUE(job->Step(StepDeadline::Clock::duration::zero()));
        ASSERT_TRUE(job->Step(StepDeadline::Clock::duration::zero()));
        ASSERT_TRUE(job->CanCancel());
        job->Cancel();
        StepThrough(*job);
        job->Finish();
        EXPECT_EQ(job->GetOutcome(), TableFileJob::Outcome::Cancelled) << name;
        EXPECT_EQ(released_, 1) << name;

        // Failing when the file is moved into place.
        SetSafeFileFaultForTesting(SafeFileFault::WriteFails);
        job = MakeSaveJob(log, path, dialogs_, release_);
        StepThrough(*job);
        job->Finish();
        EXPECT_EQ(job->GetOutcome(), TableFileJob::Outcome::Failed) << name;
        SetSafeFileFaultForTesting(SafeFileFault::None);

        EXPECT_EQ(testing::ReadFile(path), "old content") << name;
        EXPECT_EQ(dialogs_.messages,
                  std::vector<std::string>{"Could not save table to specified file: " + path})
            << name;
        EXPECT_EQ(released_, 2) << name;
    }
    // No temporary file left behind.
    EXPECT_EQ(testing::EntryCount(dir_.Path()), 2u);

    // A device that refuses the writing halfway through.
    dialogs_.messages.clear();
    const auto job = MakeSaveJob(log, "/dev/full", dialogs_);
    EXPECT_FALSE(job->Run());
    EXPECT_EQ(dialogs_.messages,
              std::vector<std::string>{"Could not save table to specified file: /dev/full"});
}

TEST_F(TableFileJobTest, ACancelOnceEveryRowIsWrittenComesTooLate) {
    ReadingLog log;
    Fill(log, kRows);
    const std::string path = dir_.File("t.txt");
    testing::WriteFile(path, "old content");
    const auto job = MakeSaveJob(log, path, dialogs_);
    while (job->GetProgress().done < kRows) {
        ASSERT_TRUE(job->Step(StepDeadline::Clock::duration::zero()));
    }
    // The rows are written, the file is on its way into place.
    EXPECT_FALSE(job->CanCancel());
    job->Cancel();
    StepThrough(*job);
    EXPECT_EQ(job->GetOutcome(), TableFileJob::Outcome::Succeeded);
    ReadingLog loaded;
    ASSERT_TRUE(ReadTableText(path, loaded));
    EXPECT_EQ(loaded.RowCount(), kRows);
}

// A load shows nothing of the file until it is read whole, then all of it.
TEST_F(TableFileJobTest, ALoadChangesTheLogOnlyOnceTheWholeFileIsRead) {
    ReadingLog source;
    Fill(source, kLoadRows, 500);
    struct Case {
        const char* name;
        bool emptyFirst;
        bool replaces;
    };
    const Case cases[] = {{"t.txt", false, false}, {"t.txt", true, true}, {"t.xml", false, true}};
    for (const Case& c : cases) {
        const std::string path = dir_.File(c.name);
        ASSERT_TRUE(WriteByName(source, path));
        ReadingLog expected;
        ASSERT_TRUE(ReadByName(path, expected));  // the file's rows

        ReadingLog log;
        Fill(log, 3);
        const auto before = RowsOf(log);
        testing::CountingObserver observer;
        log.SetObserver(&observer);
        released_ = 0;
        TableLoadJob job(log, path, c.emptyFirst, dialogs_, release_);
        bool unchanged = true;
        int heldSteps = 0;
        std::uint64_t lastDone = 0;
        StepThrough(job, [&] {
            // What a view sees between steps while the job holds the log:
            // the rows it was told of.
            if (released_ == 0) {
                ++heldSteps;
                unchanged = unchanged && observer.appended.empty() && observer.resets == 0 &&
                            testing::RowAt(log, 2) == before[2];
                if (c.replaces) unchanged = unchanged && RowsOf(log) == before;
            }
            EXPECT_GE(job.GetProgress().done, lastDone);
            lastDone = job.GetProgress().done;
        });
        EXPECT_GT(heldSteps, 5) << c.name;
        EXPECT_TRUE(unchanged) << c.name;
        EXPECT_EQ(job.GetOutcome(), TableFileJob::Outcome::Succeeded) << c.name;
        EXPECT_EQ(released_, 1) << c.name;
        EXPECT_EQ(job.GetProgress().done, job.GetProgress().total) << c.name;

        auto rows = c.replaces ? std::vector<testing::RowTexts>{} : before;
        const auto fileRows = RowsOf(expected);
        rows.insert(rows.end(), fileRows.begin(), fileRows.end());
        EXPECT_EQ(RowsOf(log), rows) << c.name;
        if (c.replaces) {
            EXPECT_EQ(observer.resets, 1) << c.name;
            EXPECT_TRUE(observer.appended.empty()) << c.name;
        } else {
            EXPECT_EQ(observer.resets, 0) << c.name;
            EXPECT_EQ(observer.appended,
                      (std::vector<std::pair<std::size_t, std::size_t>>{{3, 3 + kLoadRows - 1}}))
                << c.name;
        }
        job.Finish();
        EXPECT_TRUE(dialogs_.messages.empty()) << c.name;
    }
}

TEST_F(TableFileJobTest, ACancelledOrFailedLoadLeavesTheLogAsItWas) {
    ReadingLog source;
    Fill(source, kLoadRows, 500);
    // The same rows, the last line broken: the failure comes at the end.
    const std::string goodText = dir_.File("good.txt");
    const std::string goodXml = dir_.File("good.xml");
    ASSERT_TRUE(WriteTableText(source, goodText));
    ASSERT_TRUE(WriteTableXml(source, goodXml));
    const std::string badText = dir_.File("bad.txt");
    testing::WriteFile(badText, testing::ReadFile(goodText) + "x\tnot a number in No\r\n");
    const std::string badXml = dir_.File("bad.xml");
    std::string xml = testing::ReadFile(goodXml);
    xml.replace(xml.rfind("</rows>"), 7, "<row>x</row></rows>");
    testing::WriteFile(badXml, xml);

    struct Case {
        std::string path;
        bool emptyFirst;
        bool cancel;
    };
    const Case cases[] = {
        {goodText, false, true},
        {goodText, true, true},
        {goodXml, false, true},
        {badText, false, false},
        {badText, true, false},
        {badXml, false, false},
        {dir_.File("missing.txt"), false, false},
    };
    for (const Case& c : cases) {
        const std::string what = c.path + (c.emptyFirst ? " emptied first" : "") +
                                 (c.cancel ? " cancelled" : " failing");
        ReadingLog log;
        Fill(log, 3);
        const auto before = RowsOf(log);
        const std::size_t memory = log.MemoryBytes();
        testing::CountingObserver observer;
        log.SetObserver(&observer);
        dialogs_.messages.clear();
        released_ = 0;
        TableLoadJob job(log, c.path, c.emptyFirst, dialogs_, release_);
        int steps = 0;
        while (job.Step(StepDeadline::Clock::duration::zero())) {
            if (c.cancel && ++steps == 4) {
                ASSERT_TRUE(job.CanCancel()) << what;
                job.Cancel();
            }
        }
        job.Finish();
        EXPECT_EQ(job.GetOutcome(),
                  c.cancel ? TableFileJob::Outcome::Cancelled : TableFileJob::Outcome::Failed)
            << what;
        EXPECT_EQ(RowsOf(log), before) << what;
        EXPECT_LT(log.MemoryBytes(), memory + 1024) << what;  // the rows read are given back
        EXPECT_TRUE(observer.appended.empty()) << what;
        EXPECT_EQ(observer.resets, 0) << what;
        EXPECT_FALSE(log.NotificationsSuspended()) << what;
        EXPECT_EQ(released_, 1) << what;
        EXPECT_EQ(dialogs_.messages,
                  c.cancel ? std::vector<std::string>{} : std::vector<std::string>{kLoadFailed})
            << what;
    }
}

TEST_F(TableFileJobTest, AJobDroppedBeforeItsEndPutsTheLogBack) {
    ReadingLog source;
    Fill(source, kLoadRows, 500);
    const std::string path = dir_.File("t.txt");
    ASSERT_TRUE(WriteTableText(source, path));
    ReadingLog log;
    Fill(log, 3);
    const auto before = RowsOf(log);
    {
        TableLoadJob job(log, path, false, dialogs_, release_);
        ASSERT_TRUE(job.Step(StepDeadline::Clock::duration::zero()));
        ASSERT_TRUE(job.Step(StepDeadline::Clock::duration::zero()));
        ASSERT_GT(log.RowCount(), 3u);  // rows read, not yet announced
    }
    EXPECT_EQ(RowsOf(log), before);
    EXPECT_EQ(released_, 1);
    EXPECT_TRUE(dialogs_.messages.empty());
}

}  // namespace
}  // namespace varlo
