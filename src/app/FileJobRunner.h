#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <string>

class QEvent;
class QProgressDialog;
class QWidget;

namespace varlo {
class MeterSession;
class TableFileJob;
}  // namespace varlo

namespace varlo::app {

// Runs the save and open commands' table-file jobs under a progress dialog,
// serving the event loop between the job's steps: the window stays
// responsive, the serial port's poll and the USB hand-overs go on, and the
// meter's readings are recorded meanwhile.
//
// The dialog is window-modal, has a Cancel button and shows only when the job
// takes longer than a moment. From the job's start, before the dialog shows
// as while it does, the user's input does not reach the window, so nothing
// the user does changes the log under the job.
class FileJobRunner : public QObject {
    Q_OBJECT

  public:
    // `window` is the window the dialog belongs to.
    explicit FileJobRunner(QWidget* window);
    ~FileJobRunner() override;

    // The window's saveasClick and SpeedButton2Click with the name their file
    // dialog gave, one line each. The job's message follows once the
    // progress dialog is gone. True when the file was saved or loaded.
    bool Save(MeterSession& session, const std::string& fileName);
    bool Open(MeterSession& session, const std::string& fileName);

    // Runs a job to its end under the dialog, labelled `label`, then shows
    // its message. True when the job succeeded.
    bool Run(TableFileJob& job, const QString& label);

    // The work of one step (16 ms), and how long a job runs before the dialog
    // shows (500 ms; sooner when its progress says it will take longer).
    void SetStepBudget(std::chrono::milliseconds budget) { stepBudget_ = budget; }
    void SetShowDelay(std::chrono::milliseconds delay) { showDelay_ = delay; }

    // The dialog while a job runs (shown or not yet), else null.
    QProgressDialog* Dialog() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool Blocks(QObject* receiver, const QEvent& event) const;

    QPointer<QWidget> window_;
    QPointer<QProgressDialog> dialog_;
    std::chrono::milliseconds stepBudget_{16};
    std::chrono::milliseconds showDelay_{500};
};

}  // namespace varlo::app
