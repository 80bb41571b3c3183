#include "recording/TableSaveJob.h"

#include <exception>
#include <system_error>
#include <utility>

#include "common/Dialogs.h"
#include "recording/ReadingLog.h"
#include "recording/SafeFileWriter.h"
#include "recording/TableFiles.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"

namespace varlo {

TableSaveJob::TableSaveJob(const ReadingLog& log, std::string fileName, TableFormat format,
                           Dialogs& dialogs, std::function<void()> onLogReleased)
    : log_(log),
      rows_(log.RowCount()),
      fileName_(std::move(fileName)),
      format_(format),
      dialogs_(dialogs),
      onLogReleased_(std::move(onLogReleased)) {}

TableSaveJob::~TableSaveJob() {
    Abandon();
}

bool TableSaveJob::CanCancel() const {
    return phase_ == Phase::Open || phase_ == Phase::Write;
}

TableFileJob::Progress TableSaveJob::GetProgress() const {
    std::size_t done = 0;
    if (writer_) {
        done = writer_->RowsWritten();
    } else if (phase_ == Phase::Commit || GetOutcome() == Outcome::Succeeded) {
        done = rows_;
    }
    return {done, rows_};
}

bool TableSaveJob::DoStep(const StepDeadline& deadline) {
    if (CanCancel() && CancelRequested()) {
        Stop(Outcome::Cancelled);
        return false;
    }
    switch (phase_) {
        case Phase::Open:
            if (!Open()) return false;
            phase_ = Phase::Write;
            if (deadline.Passed()) return true;
            [[fallthrough]];
        case Phase::Write:
            if (!Write(deadline)) return phase_ == Phase::Write;
            phase_ = Phase::Commit;
            [[fallthrough]];
        case Phase::Commit:
            return AwaitCommit(deadline);
        case Phase::Ended:
            break;
    }
    return false;
}

bool TableSaveJob::Open() {
    file_ = std::make_unique<SafeFileWriter>(fileName_);
    if (!file_->Open()) {
        refusal_ = file_->Refusal();
        Stop(Outcome::Failed);
        return false;
    }
    writer_ = format_ == TableFormat::Xml ? MakeTableXmlWriter(log_, rows_, *file_->Device())
                                          : MakeTableTextWriter(log_, rows_, *file_->Device());
    return true;
}

// True once every row is written, the move into place then under way; false
// while rows remain, or when the job ended.
bool TableSaveJob::Write(const StepDeadline& deadline) {
    TableStep step = TableStep::Failed;
    try {
        step = writer_->Write(deadline);
    } catch (const std::exception&) {  // out of memory
    }
    if (step == TableStep::More) return false;
    if (step == TableStep::Failed) {
        Stop(Outcome::Failed);
        return false;
    }
    writer_.reset();
    ReleaseLog();
    // Flushing, syncing and renaming the temporary file may wait for the
    // disk; the file alone is touched.
    try {
        commit_ = std::async(std::launch::async, [file = file_.get()] { return file->Commit(); });
    } catch (const std::system_error&) {  // no thread to be had: here, then
        std::promise<bool> committed;
        committed.set_value(file_->Commit());
        commit_ = committed.get_future();
    }
    return true;
}

bool TableSaveJob::AwaitCommit(const StepDeadline& deadline) {
    if (deadline.Bounded() && commit_.wait_until(deadline.End()) != std::future_status::ready) {
        return true;
    }
    const bool ok = commit_.get();
    file_.reset();
    phase_ = Phase::Ended;
    End(ok ? Outcome::Succeeded : Outcome::Failed);
    return false;
}

void TableSaveJob::Stop(Outcome outcome) {
    writer_.reset();
    file_.reset();  // an uncommitted writer leaves the old file as it was
    ReleaseLog();
    phase_ = Phase::Ended;
    End(outcome);
}

void TableSaveJob::ReleaseLog() {
    if (auto release = std::exchange(onLogReleased_, nullptr)) release();
}

void TableSaveJob::ShowOutcome() {
    switch (GetOutcome()) {
        case Outcome::Succeeded:
            if (format_ == TableFormat::Text) {
                dialogs_.Inform(std::string(kSavedText) + fileName_ + std::string(kSavedTextEnd));
            }
            break;
        case Outcome::Failed: {
            std::string text = std::string(kSaveFailedText) + fileName_;
            if (!refusal_.empty()) text += "\n" + refusal_;
            dialogs_.Inform(text);
            break;
        }
        case Outcome::Cancelled:
        case Outcome::Running:
            break;
    }
}

}  // namespace varlo
