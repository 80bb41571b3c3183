#include "app/ReportPreview.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QString>
#include <algorithm>
#include <utility>

#include "app/ReportPrinter.h"
#include "common/Dialogs.h"
#include "recording/ReadingLog.h"
#include "recording/ReportLayout.h"

namespace varlo::app {

namespace {

// What the preview keeps beside the recording of each page: its page item
// and picture, and the room its recording has grown into (measured).
constexpr std::size_t kPreviewPageOverhead = 4'500;
// Pages recorded to measure the cost of one, spread over the report.
constexpr std::size_t kSamplePages = 32;

// A long report is painted page by page under a progress dialog that keeps
// the event loop running (the readings go on) and lets the user stop. It
// shows itself only when painting takes longer than a moment, and it is
// application-modal, so nothing can re-enter the preview meanwhile.
class PaintProgress {
  public:
    // `what` names the work: "Preparing" or "Printing".
    PaintProgress(QWidget* parent, QString what)
        : what_(std::move(what)), dialog_(QString(), QProgressDialog::tr("Cancel"), 0, 1, parent) {
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(500);
        dialog_.setAutoReset(false);
    }
    bool Step(std::size_t done, std::size_t total) {
        if (dialog_.maximum() != static_cast<int>(total)) {
            dialog_.setLabelText(
                QStringLiteral("%1 the report (%2 pages)...").arg(what_).arg(total));
            dialog_.setMaximum(static_cast<int>(total));
        }
        dialog_.setValue(static_cast<int>(done));
        return !dialog_.wasCanceled();
    }

  private:
    QString what_;
    QProgressDialog dialog_;
};

void PaintForPreview(QPrinter& printer, const ReportLayout& layout, QPrintPreviewDialog& preview,
                     QWidget* parent) {
    // The preview records its pages through a picture engine; printing and
    // saving paint on the printer's own.
    const bool preparing = printer.paintEngine()->type() == QPaintEngine::Picture;
    PaintProgress progress(preparing ? parent : &preview,
                           preparing ? QStringLiteral("Preparing") : QStringLiteral("Printing"));
    const PrintOutcome outcome = PrintReport(
        printer, layout,
        [&](std::size_t done, std::size_t total) { return progress.Step(done, total); });
    if (outcome == PrintOutcome::kCancelled && preparing) {
        // Closed once the preview's own painting call has returned.
        QMetaObject::invokeMethod(&preview, &QDialog::reject, Qt::QueuedConnection);
    } else if (outcome == PrintOutcome::kFailed) {
        const QString where =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        QMessageBox::warning(&preview, QString::fromLatin1(ReportLayout::kTitle),
                             QStringLiteral("The report could not be printed to %1.").arg(where));
    }
}

}  // namespace

std::size_t PreviewBytesPerPage(const ReportLayout& layout) {
    const std::size_t pages = layout.PageCount();
    const std::size_t samples = std::min(pages, kSamplePages);
    std::size_t recorded = 0;
    for (std::size_t i = 0; i < samples; ++i) {
        const std::size_t index = samples > 1 ? i * (pages - 1) / (samples - 1) : 0;
        QPicture picture;
        QPainter painter(&picture);
        PaintReportPage(painter, layout, index);
        painter.end();
        recorded += static_cast<std::size_t>(picture.size());
    }
    return (samples > 0 ? recorded / samples : 0) + kPreviewPageOverhead;
}

void ShowReportPreview(const ReadingLog& log, QWidget* parent, Dialogs& dialogs,
                       std::size_t memoryBudget) {
    if (log.RowCount() == 0) return;
    std::size_t pages = ReportLayout::kAllPages;
    std::size_t shown = ReportLayout::kAllPages;
    {
        const ReportLayout whole(log);
        pages = whole.PageCount();
        const std::size_t bytesPerPage = PreviewBytesPerPage(whole);
        const std::size_t within = PreviewPagesWithin(memoryBudget, bytesPerPage);
        if (pages > within) {
            if (dialogs.Ask(PreviewTooLargeQuestion(pages, bytesPerPage, memoryBudget, within)) !=
                Dialogs::Answer::Yes) {
                return;
            }
            shown = within;
        }
    }
    const ReportLayout layout(log, shown);
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPrinter(printer);
    QPrintPreviewDialog preview(&printer, parent);
    if (shown < pages) {
        preview.setWindowTitle(QString::fromStdString(PartialPreviewTitle(shown, pages)));
    }
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* target) { PaintForPreview(*target, layout, preview, parent); });
    preview.exec();
}

}  // namespace varlo::app
