// The report as a real PDF, read back with pdftotext: pages, paper and where
// each text stands.

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <vector>

#include "ReportFixture.h"
#include "app/ReportPrinter.h"
#include "recording/ReadingLog.h"
#include "recording/ReportLayout.h"

using varlo::ReadingLog;
using varlo::ReportFace;
using varlo::ReportLayout;
using varlo::app::PrintOutcome;

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kTolerancePt = 1.0;

struct Word {
    double x;
    double y;
    QString text;
};

struct PdfPage {
    double width;
    double height;
    std::vector<Word> words;
};

PrintOutcome PrintToPdf(const ReportLayout& layout, const QString& path, int from = 0, int to = 0) {
    QPrinter printer(QPrinter::HighResolution);
    varlo::app::SetUpReportPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (from > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    }
    return varlo::app::PrintReport(printer, layout);
}

// Every word of the PDF with its top left corner in points, page by page.
std::vector<PdfPage> ReadPdf(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0) {
        qWarning() << "pdftotext failed:" << pdftotext.errorString()
                   << pdftotext.readAllStandardError();
        return {};
    }
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression tag(
        QString::fromLatin1(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"
                            R"re(|<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re"));
    std::vector<PdfPage> pages;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), {}});
        } else if (!pages.empty()) {
            pages.back().words.push_back(
                {m.captured(3).toDouble(), m.captured(4).toDouble(), m.captured(5)});
        }
    }
    return pages;
}

bool Near(double a, double b) {
    return std::abs(a - b) <= kTolerancePt;
}

// Checks that the PDF page holds every Arial text of the layout's page at
// its place, and no other text in the places of the layout's lines.
void ExpectArialTexts(const PdfPage& pdf, const varlo::ReportPage& page, int pageNo) {
    QVERIFY2(Near(pdf.width, 210.0 * kPointsPerMm) && Near(pdf.height, 297.0 * kPointsPerMm),
             qPrintable(QStringLiteral("page %1 is not A4 portrait").arg(pageNo)));
    int arial = 0;
    for (const varlo::ReportText& text : page.texts) {
        if (text.face != ReportFace::kArial) continue;
        ++arial;
        const QString wanted = QString::fromStdString(text.text);
        const double x = text.left * kPointsPerMm;
        const double y = text.top * kPointsPerMm;
        const bool found = std::any_of(pdf.words.begin(), pdf.words.end(), [&](const Word& w) {
            return w.text == wanted && Near(w.x, x) && Near(w.y, y);
        });
        QVERIFY2(found, qPrintable(QStringLiteral("page %1: \"%2\" not at %3, %4 pt")
                                       .arg(pageNo)
                                       .arg(wanted)
                                       .arg(x)
                                       .arg(y)));
    }
    QVERIFY(arial > 0);
}

}  // namespace

class ReportPdfTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void oneRowIsOnePage() {
        ReadingLog log;
        log.AppendRow(1, "09:05:01", "Temperature", "-0023.5", "?", "Fail", -235);
        const ReportLayout layout(log);
        const QString path = dir_.filePath(QStringLiteral("one.pdf"));
        QCOMPARE(PrintToPdf(layout, path), PrintOutcome::kDone);
        const std::vector<PdfPage> pdf = ReadPdf(path);
        QCOMPARE(pdf.size(), std::size_t{1});
        ExpectArialTexts(pdf[0], layout.Page(0), 1);
    }

    void rowsRunOverSeveralPages() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 80);
        const ReportLayout layout(log);
        // Kept in the build tree to be looked at.
        const QString path = QStringLiteral(VARLO_BIN_DIR "/tests/app/report-80-rows.pdf");
        QFile::remove(path);
        QCOMPARE(PrintToPdf(layout, path), PrintOutcome::kDone);
        const std::vector<PdfPage> pdf = ReadPdf(path);
        QCOMPARE(pdf.size(), std::size_t{3});
        for (std::size_t p = 0; p < pdf.size(); ++p) {
            ExpectArialTexts(pdf[p], layout.Page(p), static_cast<int>(p + 1));
        }
    }

    void emptyFunctionLeavesItsPlaceBlank() {
        ReadingLog log;
        log.AppendRow(1, "12:00:00", "DC", "1.000", "V", "Pass", 1000);
        log.AppendRow(2, "12:00:01", "", "2.000", "V", "Pass", 2000);
        const ReportLayout layout(log);
        const QString path = dir_.filePath(QStringLiteral("blank.pdf"));
        QCOMPARE(PrintToPdf(layout, path), PrintOutcome::kDone);
        const std::vector<PdfPage> pdf = ReadPdf(path);
        QCOMPARE(pdf.size(), std::size_t{1});
        ExpectArialTexts(pdf[0], layout.Page(0), 1);
        // Between the time and the value of the second line: nothing.
        const double lineTop = (36.4 + 6.6 + 2.1) * kPointsPerMm;
        int inFunctionPlace = 0;
        int onSecondLine = 0;
        for (const Word& w : pdf[0].words) {
            if (!Near(w.y, lineTop)) continue;
            ++onSecondLine;
            if (w.x > 50.0 * kPointsPerMm && w.x < 105.0 * kPointsPerMm) ++inFunctionPlace;
        }
        QCOMPARE(inFunctionPlace, 0);
        QVERIFY(onSecondLine >= 3);  // No, time and value are there
    }

    void printsThePrintersPageRange() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 80);
        const ReportLayout layout(log);
        const QString path = dir_.filePath(QStringLiteral("range.pdf"));
        QCOMPARE(PrintToPdf(layout, path, 2, 9), PrintOutcome::kDone);  // 9: past the end
        const std::vector<PdfPage> pdf = ReadPdf(path);
        QCOMPARE(pdf.size(), std::size_t{2});
        ExpectArialTexts(pdf[0], layout.Page(1), 2);
        ExpectArialTexts(pdf[1], layout.Page(2), 3);
    }

    void emptyLogPrintsNothing() {
        ReadingLog log;
        const QString path = dir_.filePath(QStringLiteral("empty.pdf"));
        QCOMPARE(PrintToPdf(ReportLayout(log), path), PrintOutcome::kDone);
        QVERIFY(!QFile::exists(path));
    }

    void unwritableFileFails() {
        ReadingLog log;
        log.AppendRow(1, "12:00:00", "DC", "1.000", "V", "Pass", 1000);
        const QString path = dir_.filePath(QStringLiteral("no/such/folder/report.pdf"));
        QCOMPARE(PrintToPdf(ReportLayout(log), path), PrintOutcome::kFailed);
    }

  private:
    QTemporaryDir dir_;
};

QTEST_MAIN(ReportPdfTest)
#include "ReportPdfTest.moc"
