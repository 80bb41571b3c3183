#pragma once

#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "recording/TableFileJob.h"

namespace varlo {

class Dialogs;
class ReadingLog;
class SafeFileWriter;

enum class TableFormat { Text, Xml };

// Saves the rows the log holds when the job is made, in steps.
//
// The log may grow between steps (the meter's rows are appended): rows
// appended meanwhile are not in the file and stay in the log; the rows saved
// must not change. The file is written beside the old one and moved into
// place complete (SafeFileWriter); that last move, with the writing out of
// the file's data, runs on a worker thread, since it can take long on a slow
// disk and touches no log. A failed or cancelled save leaves the old file as
// it was.
//
// Messages, shown by Finish: the text table's success "save table to
// specified file: NAME Scuss!" (none for XML); on failure "Could not save
// table to specified file: NAME", with the reason on a second line when the
// save was refused for one; nothing when cancelled.
class TableSaveJob : public TableFileJob {
  public:
    // `onLogReleased` runs once the job reads the log no more: all rows
    // written, or the job ended before.
    TableSaveJob(const ReadingLog& log, std::string fileName, TableFormat format, Dialogs& dialogs,
                 std::function<void()> onLogReleased = {});
    ~TableSaveJob() override;

    // Until the file is complete; its move into place cannot be called back.
    bool CanCancel() const override;
    // Rows written of the rows to save.
    Progress GetProgress() const override;

  private:
    enum class Phase { Open, Write, Commit, Ended };

    bool DoStep(const StepDeadline& deadline) override;
    void ShowOutcome() override;
    bool Open();
    bool Write(const StepDeadline& deadline);
    bool AwaitCommit(const StepDeadline& deadline);
    void Stop(Outcome outcome);
    void ReleaseLog();

    const ReadingLog& log_;
    const std::size_t rows_;
    const std::string fileName_;
    const TableFormat format_;
    Dialogs& dialogs_;
    std::function<void()> onLogReleased_;
    Phase phase_ = Phase::Open;
    std::unique_ptr<SafeFileWriter> file_;
    std::unique_ptr<TableRowWriter> writer_;
    std::future<bool> commit_;
    std::string refusal_;
};

}  // namespace varlo
