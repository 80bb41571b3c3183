// The file-job runner offscreen: a long load and a long save under its
// progress dialog while a 10 ms timer sends the meter's frames, and Cancel.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

#include "app/FileJobRunner.h"
#include "followup/SessionBench.h"
#include "recording/TableTextFile.h"
#include "tablefiles/TestFiles.h"

using varlo::ReadingLog;
using varlo::app::FileJobRunner;

namespace {

// Rows of the long file: a load of them takes some hundred milliseconds.
constexpr std::size_t kRows = 500000;
constexpr std::chrono::milliseconds kStepBudget{2};

// The n-th distinct reading: 00.001, 00.002, ...
std::string NthFrame(int n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%05d", n % 20000);
    return varlo::test::Volts1(digits);
}

// A 10 ms timer standing for the serial port's poll: each tick sends a
// frame and whatever else the test asks, and notes the gap since the last
// tick and where the job's dialog stands.
class Ticker {
  public:
    Ticker(varlo::test::Bench& bench, const FileJobRunner& runner,
           std::function<void(QProgressDialog&)> onTick = {})
        : runner_(runner), onTick_(std::move(onTick)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, &bench] {
            longestGapMs_ = std::max(longestGapMs_, sinceTick_.restart());
            bench.Frame(NthFrame(frames_++));
            if (QProgressDialog* dialog = runner_.Dialog()) {
                ++ticksInJob_;
                progress_.insert(dialog->value());
                if (dialog->isVisible()) shown_ = true;
                if (onTick_) onTick_(*dialog);
            }
        });
        sinceTick_.start();
        timer_.start();
    }

    int frames() const { return frames_; }
    int ticksInJob() const { return ticksInJob_; }
    // The gap still open counts too: a job that held the loop to its end
    // shows here.
    qint64 longestGapMs() const { return std::max(longestGapMs_, sinceTick_.elapsed()); }
    const std::set<int>& progress() const { return progress_; }
    bool shown() const { return shown_; }

  private:
    const FileJobRunner& runner_;
    std::function<void(QProgressDialog&)> onTick_;
    QTimer timer_;
    QElapsedTimer sinceTick_;
    qint64 longestGapMs_ = 0;
    int frames_ = 0;
    int ticksInJob_ = 0;
    std::set<int> progress_;
    bool shown_ = false;
};

}  // namespace

class FileJobRunnerTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        ReadingLog log;
        for (std::size_t i = 0; i < kRows; ++i) {
            log.AppendRow(static_cast<std::int32_t>(i + 1), "10:00:00", "DC", "12.345", "V", "Pass",
                          12345);
        }
        QVERIFY(varlo::WriteTableText(log, file_));
    }

    void longLoadAndSaveKeepTheEventLoopServed() {
        varlo::test::Bench bench;
        QWidget window;
        auto* edit = new QLineEdit(&window);
        window.show();
        FileJobRunner runner(&window);
        runner.SetStepBudget(kStepBudget);
        runner.SetShowDelay(std::chrono::milliseconds(100));

        std::size_t rows = 0;
        {
            // Keys typed into the window while the job runs go nowhere.
            Ticker ticker(bench, runner, [edit](QProgressDialog&) { QTest::keyClick(edit, 'x'); });
            QVERIFY(runner.Open(bench.session, file_));
            rows = bench.session.Log().RowCount();
            qInfo("load: %d ticks during the job, longest gap %lld ms, %zu progress values",
                  ticker.ticksInJob(), ticker.longestGapMs(), ticker.progress().size());
            QVERIFY(ticker.ticksInJob() >= 3);
            QVERIFY(ticker.progress().size() >= 3);
            QVERIFY(ticker.shown());
            QVERIFY2(ticker.longestGapMs() < 1000, "the event loop stalled");
            // The frames recorded during the load follow the file's rows.
            QCOMPARE(rows, kRows + static_cast<std::size_t>(ticker.frames()));
            QCOMPARE(*bench.session.Log().Int(kRows, ReadingLog::kNo), 1);
            QCOMPARE(*bench.session.Log().Int(rows - 1, ReadingLog::kNo), ticker.frames());
        }
        QCOMPARE(edit->text(), QString());
        QTest::keyClick(edit, 'y');
        QCOMPARE(edit->text(), QStringLiteral("y"));
        QVERIFY(bench.dialogs.messages.empty());

        const std::string saved = dir_.File("saved.txt");
        {
            Ticker ticker(bench, runner);
            QVERIFY(runner.Save(bench.session, saved));
            qInfo("save: %d ticks during the job, longest gap %lld ms, %zu progress values",
                  ticker.ticksInJob(), ticker.longestGapMs(), ticker.progress().size());
            QVERIFY(ticker.ticksInJob() >= 3);
            QVERIFY(ticker.progress().size() >= 3);
            QVERIFY2(ticker.longestGapMs() < 1000, "the event loop stalled");
            // Frames recorded during the save are in the log, not in the file.
            QCOMPARE(bench.session.Log().RowCount(),
                     rows + static_cast<std::size_t>(ticker.frames()));
        }
        ReadingLog reloaded;
        QVERIFY(varlo::ReadTableText(saved, reloaded));
        QCOMPARE(reloaded.RowCount(), rows);
        QCOMPARE(bench.dialogs.messages,
                 std::vector<std::string>{"save table to specified file: " + saved + " Scuss!"});
    }

    void cancelLeavesTheLogAndTheFileAsTheyWere() {
        varlo::test::Bench bench;
        QWidget window;
        window.show();
        FileJobRunner runner(&window);
        runner.SetStepBudget(kStepBudget);
        runner.SetShowDelay(std::chrono::milliseconds(0));
        for (int n = 1; n <= 3; ++n) bench.Frame(NthFrame(1000 + n));
        QVERIFY(runner.Open(bench.session, file_));  // a log long enough to save for a while
        const std::size_t rows = bench.session.Log().RowCount();

        // Cancel clicked once the dialog shows progress.
        const auto clickCancel = [](QProgressDialog& dialog) {
            if (!dialog.isVisible() || dialog.value() == 0 || dialog.wasCanceled()) return;
            auto* cancel = dialog.findChild<QPushButton*>();
            QVERIFY(cancel);
            QTest::mouseClick(cancel, Qt::LeftButton);
        };
        const std::string saved = dir_.File("old.txt");
        varlo::testing::WriteFile(saved, "old content");
        {
            Ticker ticker(bench, runner, clickCancel);
            QVERIFY(!runner.Save(bench.session, saved));
            QVERIFY(ticker.ticksInJob() >= 1);
            QCOMPARE(bench.session.Log().RowCount(),
                     rows + static_cast<std::size_t>(ticker.frames()));
        }
        QCOMPARE(varlo::testing::ReadFile(saved), std::string("old content"));

        const std::size_t before = bench.session.Log().RowCount();
        const int next = bench.session.Recording().NextRecordNo;
        {
            Ticker ticker(bench, runner, clickCancel);
            QVERIFY(!runner.Open(bench.session, file_));
            QVERIFY(ticker.ticksInJob() >= 1);
            // The log as it was, and the frames recorded meanwhile after it.
            QCOMPARE(bench.session.Log().RowCount(),
                     before + static_cast<std::size_t>(ticker.frames()));
        }
        QCOMPARE(*bench.session.Log().Int(before, ReadingLog::kNo), next);
        QVERIFY(bench.dialogs.messages.empty());
        QVERIFY(!bench.session.FileJobRunning());
    }

  private:
    varlo::testing::TempDir dir_;
    std::string file_ = dir_.File("long.txt");
};

QTEST_MAIN(FileJobRunnerTest)
#include "FileJobRunnerTest.moc"
