#include "app/FileJobRunner.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "followup/MeterSession.h"
#include "recording/TableFileJob.h"

namespace varlo::app {

namespace {

constexpr int kProgressSteps = 1000;

int Scaled(const TableFileJob::Progress& progress) {
    if (progress.total == 0) return 0;
    const auto done = std::min(progress.done, progress.total);
    return static_cast<int>(done * kProgressSteps / progress.total);
}

bool IsUserInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        case QEvent::Close:  // the window's close box
            return event.spontaneous();
        default:
            return false;
    }
}

QString FileLabel(const char* what, const std::string& fileName) {
    return QString::fromLatin1(what) + QString::fromStdString(fileName);
}

}  // namespace

FileJobRunner::FileJobRunner(QWidget* window) : window_(window) {}

FileJobRunner::~FileJobRunner() = default;

bool FileJobRunner::Save(MeterSession& session, const std::string& fileName) {
    const auto job = session.StartSaveJob(fileName);
    return job && Run(*job, FileLabel("Saving ", fileName));
}

bool FileJobRunner::Open(MeterSession& session, const std::string& fileName) {
    const auto job = session.StartOpenJob(fileName);
    return job && Run(*job, FileLabel("Loading ", fileName));
}

bool FileJobRunner::Run(TableFileJob& job, const QString& label) {
    QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, kProgressSteps, window_);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(static_cast<int>(showDelay_.count()));
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog_ = &dialog;
    qApp->installEventFilter(this);
    dialog.setValue(0);  // starts the dialog's clock

    // Each step runs from a zero timer, so that every event that came in
    // meanwhile is served before the next one.
    QEventLoop loop;
    QTimer stepper;
    stepper.setInterval(0);
    bool stepping = false;
    bool cancelButton = true;
    connect(&stepper, &QTimer::timeout, &loop, [&] {
        if (stepping) return;  // the dialog's own event processing
        const QScopedValueRollback busy(stepping, true);
        if (dialog.wasCanceled()) job.Cancel();
        if (!job.Step(stepBudget_)) {
            stepper.stop();
            loop.quit();
            return;
        }
        if (cancelButton && !job.CanCancel()) {
            dialog.setCancelButton(nullptr);  // too late to cancel: the file is complete
            cancelButton = false;
        }
        dialog.setValue(Scaled(job.GetProgress()));
    });
    stepper.start();
    loop.exec();
    // The loop also ends when the application quits: the job ends now,
    // cancelled where it still can be.
    if (job.GetOutcome() == TableFileJob::Outcome::Running) {
        job.Cancel();
        while (job.Step(StepDeadline::Never())) {
        }
    }
    qApp->removeEventFilter(this);
    dialog_ = nullptr;
    dialog.hide();
    job.Finish();
    return job.GetOutcome() == TableFileJob::Outcome::Succeeded;
}

QProgressDialog* FileJobRunner::Dialog() const {
    return dialog_;
}

bool FileJobRunner::eventFilter(QObject* watched, QEvent* event) {
    return dialog_ && IsUserInput(*event) && Blocks(watched, *event);
}

// The window is blocked as a window-modal dialog blocks it; other windows (a
// message box that comes up meanwhile, the progress dialog) are not.
bool FileJobRunner::Blocks(QObject* receiver, const QEvent& event) const {
    if (!window_) return false;
    QWidget* const blocked = window_->window();
    if (auto* widget = qobject_cast<QWidget*>(receiver)) return widget->window() == blocked;
    if (auto* window = qobject_cast<QWindow*>(receiver)) return window == blocked->windowHandle();
    // The window's menu shortcuts go to their actions.
    return event.type() == QEvent::Shortcut;
}

}  // namespace varlo::app
