// The print preview as the window opens it: a real QPrintPreviewDialog,
// answered from timers while it is modal.

#include <QApplication>
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

using varlo::ReadingLog;

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
        varlo::app::ShowReportPreview(log, &window);
        QVERIFY(!script.timedOut);
        QCOMPARE(pages, 3);
        QCOMPARE(parent, &window);
    }

    void emptyLogOpensNothing() {
        ReadingLog log;
        int modals = 0;
        ModalScript script([&](QWidget* modal) {
            ++modals;
            modal->close();
        });
        varlo::app::ShowReportPreview(log, nullptr);
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
        varlo::app::ShowReportPreview(log, nullptr);
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
        varlo::app::ShowReportPreview(log, nullptr);
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
        varlo::app::ShowReportPreview(log, &window);
        QVERIFY(!script.timedOut);
        QVERIFY2(ticksAtProgress >= 0, "no progress dialog");
        QVERIFY(ticks >= ticksAtProgress + 5);
        QVERIFY2(previewPages < 1429, qPrintable(QString::number(previewPages)));
    }
};

QTEST_MAIN(ReportPreviewTest)
#include "ReportPreviewTest.moc"
