#include "recording/TableLoadJob.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "common/Dialogs.h"
#include "recording/TableFiles.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"

namespace varlo {

namespace {

// Rows given back in one piece when a load is undone or old rows are
// dropped: whole chunks of the log, a few milliseconds' work.
constexpr std::size_t kRowsPerRelease = 64 * 8192;

}  // namespace

TableLoadJob::TableLoadJob(ReadingLog& log, std::string fileName, bool emptyFirst, Dialogs& dialogs,
                           std::function<void()> onLogReleased)
    : log_(log),
      fileName_(std::move(fileName)),
      xml_(IsXmlTableName(fileName_)),
      replace_(xml_ || emptyFirst),
      dialogs_(dialogs),
      onLogReleased_(std::move(onLogReleased)),
      file_(QString::fromStdString(fileName_)) {}

TableLoadJob::~TableLoadJob() {
    Abandon();
}

bool TableLoadJob::CanCancel() const {
    return phase_ == Phase::Open || phase_ == Phase::Read;
}

TableFileJob::Progress TableLoadJob::GetProgress() const {
    return {CanCancel() ? bytesRead_ : fileSize_, fileSize_};
}

bool TableLoadJob::DoStep(const StepDeadline& deadline) {
    for (;;) {
        switch (phase_) {
            case Phase::Open:
                if (CancelRequested()) {
                    Settle(Outcome::Cancelled);
                } else if (!Open()) {
                    Settle(Outcome::Failed);
                } else {
                    phase_ = Phase::Read;
                }
                break;
            case Phase::Read: {
                if (CancelRequested()) {
                    Settle(Outcome::Cancelled);
                    break;
                }
                const TableStep step = Read(deadline);
                if (step == TableStep::More) return true;
                Settle(step == TableStep::Done ? Outcome::Succeeded : Outcome::Failed);
                break;
            }
            case Phase::Undo:
                if (!Undo(deadline)) return true;
                break;
            case Phase::Drop:
                if (!Drop(deadline)) return true;
                break;
            case Phase::Ended:
                return false;
        }
        if (phase_ == Phase::Ended) return false;
        if (deadline.Passed()) return true;
    }
}

bool TableLoadJob::Open() {
    if (!file_.open(QIODevice::ReadOnly)) return false;
    fileSize_ = static_cast<std::uint64_t>(std::max<qint64>(file_.size(), 0));
    if (replace_) {
        staged_ = std::make_unique<ReadingLog>();
    } else {
        mark_ = log_.RowCount();
        checkpoint_ = log_.MakeCheckpoint();
    }
    ReadingLog& target = replace_ ? *staged_ : log_;
    reader_ = xml_ ? MakeTableXmlReader(file_, target) : MakeTableTextReader(file_, target);
    return true;
}

TableStep TableLoadJob::Read(const StepDeadline& deadline) {
    // The rows go in unannounced; they are announced at the end, once.
    ReadingLog& target = replace_ ? *staged_ : log_;
    const bool wasSuspended = target.NotificationsSuspended();
    target.SetNotificationsSuspended(true);
    TableStep step = TableStep::Failed;
    try {
        step = reader_->Read(deadline);
    } catch (const std::exception&) {  // out of memory, too many distinct texts
    }
    target.SetNotificationsSuspended(wasSuspended);
    bytesRead_ = static_cast<std::uint64_t>(std::max<qint64>(file_.pos(), 0));
    return step;
}

// The file has been read (`outcome` Succeeded), or the load failed or was
// cancelled: the log gets the file's rows or is put back as it was.
void TableLoadJob::Settle(Outcome outcome) {
    const bool opened = phase_ != Phase::Open;
    reader_.reset();
    file_.close();
    ending_ = outcome;
    if (outcome == Outcome::Succeeded) {
        if (replace_) {
            log_.SwapRows(*staged_);  // the old rows are now the job's to give back
            log_.NotifyReset();
        } else if (log_.RowCount() > mark_) {
            log_.NotifyRowsAppended(mark_, log_.RowCount() - 1);
        }
    } else if (opened && !replace_) {
        phase_ = Phase::Undo;  // rows added behind the log's last row are cut off first
        return;
    }
    ReleaseLog();
    phase_ = staged_ ? Phase::Drop : Phase::Ended;
    if (phase_ == Phase::Ended) End(outcome);
}

bool TableLoadJob::Undo(const StepDeadline& deadline) {
    const bool wasSuspended = log_.NotificationsSuspended();
    log_.SetNotificationsSuspended(true);
    bool done = false;
    do {
        if (log_.RowCount() <= mark_ + kRowsPerRelease) {
            log_.RollBack(checkpoint_);
            done = true;
            break;
        }
        log_.TruncateTo(log_.RowCount() - kRowsPerRelease);
    } while (!deadline.Passed());
    log_.SetNotificationsSuspended(wasSuspended);
    if (done) {
        ReleaseLog();
        phase_ = Phase::Ended;
        End(ending_);
    }
    return done;
}

bool TableLoadJob::Drop(const StepDeadline& deadline) {
    do {
        if (staged_->RowCount() <= kRowsPerRelease) {
            staged_.reset();
            phase_ = Phase::Ended;
            End(ending_);
            return true;
        }
        staged_->TruncateTo(staged_->RowCount() - kRowsPerRelease);
    } while (!deadline.Passed());
    return false;
}

void TableLoadJob::ReleaseLog() {
    if (auto release = std::exchange(onLogReleased_, nullptr)) release();
}

void TableLoadJob::ShowOutcome() {
    if (GetOutcome() == Outcome::Failed) {
        dialogs_.SystemMessage(std::string(kLoadFailedTitle), std::string(kLoadFailedText));
    }
}

}  // namespace varlo
