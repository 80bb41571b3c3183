// The print preview as the window opens it: a real QPrintPreviewDialog,
// answered from timers while it is modal.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "ReportFixture.h"
#include "app/ReportPreview.h"
#include "recording/ReadingLog.h"
#include "recording/ReportLayout.h"
#include "support/RecordingDialogs.h"

using varlo::ReadingLog;
using varlo::ReportLayout;

namespace {

// Hands every modal widget to `onModal` once it shows, and closes whatever
// is still modal after a generous deadline, so that a test never hangs.
class ModalScript : public QObject {
  public:
    explicit ModalScript(std::function<void(QWidget*)> onModal) : onModal_(std::move(onModal)) {
        connect(&poll_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible() || modal->property("seenByTest").toBool())
                return;
            modal->setProperty("seenByTest", true);
            onModal_(modal);
        });
        connect(&deadline_, &QTimer::timeout, this, [this] {
            timedOut = true;
            while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        poll_.start(10);
        deadline_.setSingleShot(true);
        deadline_.start(60000);
    }
    bool timedOut = false;

  private:
    std::function<void(QWidget*)> onModal_;
    QTimer poll_;
    QTimer deadline_;
};

int PreviewPages(QWidget* preview) {
    auto* widget = preview->findChild<QPrintPreviewWidget*>();
    return widget == nullptr ? -1 : widget->pageCount();
}

int PdfPageCount(const QString& path) {
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {path});
    if (!pdfinfo.waitForFinished(60000) || pdfinfo.exitCode() != 0) return -1;
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

}  // namespace

class ReportPreviewTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { dialogs_ = {}; }

    void showsEveryPageAndReturnsWhenClosed() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 80);
        QWidget window;
        window.show();
        int pages = -1;
        QWidget* parent = nullptr;
        ModalScript script([&](QWidget* modal) {
            if (!qobject_cast<QPrintPreviewDialog*>(modal)) return;
            pages = PreviewPages(modal);
            parent = modal->parentWidget();
            modal->close();
        });
        varlo::app::ShowReportPreview(log, &window, dialogs_);
        QVERIFY(!script.timedOut);
        QCOMPARE(pages, 3);
        QCOMPARE(parent, &window);
        QVERIFY(dialogs_.Asked().empty());  // well within the budget
    }

    void emptyLogOpensNothing() {
        ReadingLog log;
        int modals = 0;
        ModalScript script([&](QWidget* modal) {
            ++modals;
            modal->close();
        });
        varlo::app::ShowReportPreview(log, nullptr, dialogs_);
        QCoreApplication::processEvents();
        QCOMPARE(modals, 0);
    }

    void printsFromThePreviewToPdf() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 40);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        ModalScript script([&](QWidget* modal) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
            if (preview == nullptr) return;
            preview->printer()->setOutputFileName(path);
            preview->findChild<QPrintPreviewWidget*>()->print();
            preview->close();
        });
        varlo::app::ShowReportPreview(log, nullptr, dialogs_);
        QVERIFY(!script.timedOut);
        QCOMPARE(PdfPageCount(path), 2);
    }

    void printFailureIsReported() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 3);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/report.pdf"));
        QString warning;
        ModalScript script([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                warning = box->text();
                box->close();
            } else if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
                // From a timer of its own: this one cannot fire again
                // before it returns, and the box comes up inside print().
                QTimer::singleShot(0, preview, [&, preview] {
                    preview->printer()->setOutputFileName(path);
                    preview->findChild<QPrintPreviewWidget*>()->print();  // after the box
                    preview->close();
                });
            }
        });
        varlo::app::ShowReportPreview(log, nullptr, dialogs_);
        QVERIFY(!script.timedOut);
        QVERIFY2(warning.contains(path), qPrintable(warning));
        QVERIFY(!QFile::exists(path));
    }

    // A long report is prepared under a progress dialog: the event loop
    // keeps running (timers tick) and Cancel closes the preview.
    void longReportKeepsTheLoopRunningAndCanBeCancelled() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 50000);  // 1429 pages
        QWidget window;
        window.show();
        QPointer<QProgressDialog> progress;
        int ticks = 0;
        int ticksAtProgress = -1;
        int previewPages = -1;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] {
            ++ticks;
            if (progress && progress->isVisible() && ticks - ticksAtProgress >= 5)
                progress->cancel();
        });
        ticker.start(10);
        ModalScript script([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<QProgressDialog*>(modal)) {
                progress = dialog;
                ticksAtProgress = ticks;
            } else if (qobject_cast<QPrintPreviewDialog*>(modal)) {
                previewPages = PreviewPages(modal);
                modal->close();
            }
        });
        varlo::app::ShowReportPreview(log, &window, dialogs_);
        QVERIFY(!script.timedOut);
        QVERIFY2(ticksAtProgress >= 0, "no progress dialog");
        QVERIFY(ticks >= ticksAtProgress + 5);
        QVERIFY2(previewPages < 1429, qPrintable(QString::number(previewPages)));
    }

    // A report whose preview would need more than the budget asks first;
    // on No nothing opens and nothing is painted but the pages that measure
    // the cost of one.
    void tooLargeReportAsksAndOnNoOpensNothing() {
        ReadingLog log;
        for (int i = 0; i < 10'000'000; ++i) {  // "limitless" at its largest
            log.AppendRow(i + 1, "12:00:00", "Ohm", "4.7021", "K*", "Pass", 47021);
        }
        int modals = 0;
        ModalScript script([&](QWidget* modal) {
            ++modals;
            modal->close();
        });
        QElapsedTimer clock;
        clock.start();
        varlo::app::ShowReportPreview(log, nullptr, dialogs_);
        const qint64 spentMs = clock.elapsed();
        QCoreApplication::processEvents();
        QCOMPARE(modals, 0);
        QCOMPARE(log.RowCount(), std::size_t{10'000'000});
        QCOMPARE(dialogs_.Asked().size(), std::size_t{1});
        const QString question = QString::fromStdString(dialogs_.Asked().front());
        const auto within =
            QRegularExpression(
                QStringLiteral("^The report has 285715 pages, too many to preview at once: all of "
                               "them would need about [\\d.]+ GB of memory, and a preview takes "
                               "at most 256 MB\\.\n\nPreview only the first (\\d+) pages\\?$"))
                .match(question);
        QVERIFY2(within.hasMatch(), qPrintable(question));
        // The pages offered fit the budget at the measured cost of a page.
        const std::size_t perPage = varlo::app::PreviewBytesPerPage(ReportLayout(log));
        const std::size_t offered = within.captured(1).toULongLong();
        QVERIFY(offered * perPage <= varlo::app::kPreviewMemoryBudget);
        QVERIFY((offered + 1) * perPage > varlo::app::kPreviewMemoryBudget);
        qInfo("10,000,000 rows: asked and returned in %lld ms; %zu bytes a page, %zu pages offered",
              spentMs, perPage, offered);
    }

    // On Yes the preview shows the first pages the budget holds, and says
    // so in its title.
    void tooLargeReportOnYesPreviewsTheFirstPages() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 80);  // 3 pages
        const std::size_t budget = 2 * varlo::app::PreviewBytesPerPage(ReportLayout(log)) + 1;
        dialogs_.otherwise = varlo::Dialogs::Answer::Yes;
        int pages = -1;
        QString title;
        ModalScript script([&](QWidget* modal) {
            if (!qobject_cast<QPrintPreviewDialog*>(modal)) return;
            pages = PreviewPages(modal);
            title = modal->windowTitle();
            modal->close();
        });
        varlo::app::ShowReportPreview(log, nullptr, dialogs_, budget);
        QVERIFY(!script.timedOut);
        QCOMPARE(dialogs_.Asked().size(), std::size_t{1});
        QVERIFY2(QString::fromStdString(dialogs_.Asked().front())
                         .startsWith("The report has 3 pages,") &&
                     QString::fromStdString(dialogs_.Asked().front())
                         .endsWith("Preview only the first 2 pages?"),
                 qPrintable(QString::fromStdString(dialogs_.Asked().front())));
        QCOMPARE(pages, 2);
        QCOMPARE(title, QStringLiteral("Print Preview: the first 2 of 3 pages"));
    }

  private:
    varlo::testing::RecordingDialogs dialogs_;
};

QTEST_MAIN(ReportPreviewTest)
#include "ReportPreviewTest.moc"
