#pragma once

#include <chrono>
#include <cstdint>

#include "recording/TableStep.h"

namespace varlo {

// A save or load of a table file that runs in steps, so that the thread that
// owns the log serves its events between them: the window runs one under a
// progress dialog while the meter's frames go on. The one-call commands run
// the same job to its end.
//
// A job belongs to the thread of its log, must not outlive the log, and is
// the only thing that changes the log while it runs (see the jobs).
class TableFileJob {
  public:
    enum class Outcome { Running, Succeeded, Failed, Cancelled };
    // Work done out of the work there is, in the job's own units.
    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };

    TableFileJob() = default;
    TableFileJob(const TableFileJob&) = delete;
    TableFileJob& operator=(const TableFileJob&) = delete;
    virtual ~TableFileJob() = default;

    // Works until the deadline has passed (at least one piece of work) and
    // returns whether more remains. Once it has returned false the outcome
    // is fixed, the log and the file are as the outcome leaves them, and
    // only the message is left for Finish.
    bool Step(const StepDeadline& deadline) {
        return outcome_ == Outcome::Running && DoStep(deadline);
    }
    bool Step(StepDeadline::Clock::duration budget) { return Step(StepDeadline::After(budget)); }

    // Asks the job to stop at its next step, leaving the file and the log as
    // they were before it. Ignored where that can no longer be had
    // (CanCancel false): the job then ends as it would have.
    void Cancel() {
        if (CanCancel()) cancelRequested_ = true;
    }
    virtual bool CanCancel() const = 0;
    virtual Progress GetProgress() const = 0;
    Outcome GetOutcome() const { return outcome_; }

    // Shows the outcome's message, once, after the last step; a caller that
    // shows progress takes it down first.
    void Finish() {
        if (outcome_ == Outcome::Running || finished_) return;
        finished_ = true;
        ShowOutcome();
    }

    // Every step and Finish, in one call: true when the job succeeded.
    bool Run() {
        while (Step(StepDeadline::Never())) {
        }
        Finish();
        return outcome_ == Outcome::Succeeded;
    }

  protected:
    // One step of the job; returns whether more remains, having called End
    // when not.
    virtual bool DoStep(const StepDeadline& deadline) = 0;
    virtual void ShowOutcome() = 0;

    bool CancelRequested() const { return cancelRequested_; }
    void End(Outcome outcome) { outcome_ = outcome; }

    // For the destructors: a job dropped before its end is cancelled where
    // it still can be and run to its end without a message, so that it never
    // leaves the log or the file half done.
    void Abandon() {
        cancelRequested_ = true;
        while (Step(StepDeadline::Never())) {
        }
    }

  private:
    Outcome outcome_ = Outcome::Running;
    bool cancelRequested_ = false;
    bool finished_ = false;
};

}  // namespace varlo
