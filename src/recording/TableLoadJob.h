#pragma once

#include <QFile>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "recording/ReadingLog.h"
#include "recording/TableFileJob.h"

namespace varlo {

class Dialogs;

// Loads a table file into the log, in steps: an XML file, or any file when
// `emptyFirst` is set, replaces the log's rows; a text file otherwise adds
// its rows after them.
//
// The log shows no change until the whole file has been read: rows that
// replace the log's are read into a log of the job's own and swapped in at
// the end; rows that are added go into the log behind its last row without
// being announced, and are announced at the end, so that views, which go by
// the announcements, see them only then. A failed or cancelled load leaves
// the log as it was, its memory included.
//
// Nothing else may change the log while the job runs, since rows added by
// others would land among the file's: the caller holds other writers off
// until `onLogReleased` has run (the session holds the rows recorded
// meanwhile and appends them then, after the loaded rows).
//
// Messages, shown by Finish: "Failed to Load File!" titled "Error" on
// failure; nothing on success or when cancelled.
class TableLoadJob : public TableFileJob {
  public:
    // `onLogReleased` runs once the log is settled: the file's rows in it,
    // or the log as it was.
    TableLoadJob(ReadingLog& log, std::string fileName, bool emptyFirst, Dialogs& dialogs,
                 std::function<void()> onLogReleased = {});
    ~TableLoadJob() override;

    // Until the file has been read.
    bool CanCancel() const override;
    // Bytes of the file read of its size.
    Progress GetProgress() const override;

  private:
    enum class Phase { Open, Read, Undo, Drop, Ended };

    bool DoStep(const StepDeadline& deadline) override;
    void ShowOutcome() override;
    bool Open();
    TableStep Read(const StepDeadline& deadline);
    void Settle(Outcome outcome);
    bool Undo(const StepDeadline& deadline);
    bool Drop(const StepDeadline& deadline);
    void ReleaseLog();

    ReadingLog& log_;
    const std::string fileName_;
    const bool xml_;
    const bool replace_;
    Dialogs& dialogs_;
    std::function<void()> onLogReleased_;
    Phase phase_ = Phase::Open;
    Outcome ending_ = Outcome::Running;  // what the undo or drop phase ends in
    QFile file_;
    std::uint64_t fileSize_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::unique_ptr<TableRowReader> reader_;
    // Rows that replace the log's: the file's while it is read, then the
    // log's old rows until they are given back.
    std::unique_ptr<ReadingLog> staged_;
    // Rows added to the log: where they start, and the log as it was.
    std::size_t mark_ = 0;
    ReadingLog::Checkpoint checkpoint_;
};

}  // namespace varlo
