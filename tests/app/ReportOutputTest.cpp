// The report as real output: a PDF read back with pdftotext and pdftoppm
// (pages, paper and where each text stands), and a page painted on an image.

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ReportFixture.h"
#include "app/Glyphs.h"
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
    double bottom;  // the baseline plus the face's descent
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
                            R"re(|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+")re"
                            R"re( yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<PdfPage> pages;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), {}});
        } else if (!pages.empty()) {
            pages.back().words.push_back({m.captured(3).toDouble(), m.captured(4).toDouble(),
                                          m.captured(5).toDouble(), m.captured(6)});
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

const Word* FindWord(const PdfPage& pdf, const QString& text, double x, double y) {
    for (const Word& w : pdf.words) {
        if (w.text == text && Near(w.x, x) && std::abs(w.y - y) <= 4.0) return &w;
    }
    return nullptr;
}

// Checks that the glyph texts that begin with letters, searchable in the
// PDF, stand on the baseline of the Arial texts of their line: the bottom
// pdftotext gives a word lies the face's descent below its baseline, which
// is the same share of the size for both faces.
void ExpectSharedBaselines(const PdfPage& pdf, const varlo::ReportPage& page, int pageNo) {
    constexpr double kBaselineTolerancePt = 0.25;
    int compared = 0;
    for (const varlo::ReportText& glyph : page.texts) {
        if (glyph.face != ReportFace::kGlyph || glyph.centred) continue;
        const QString letters =
            QString::fromStdString(glyph.text).section(QRegularExpression("[^A-Za-z0-9]"), 0, 0);
        if (letters.isEmpty()) continue;
        const auto arial = std::find_if(page.texts.begin(), page.texts.end(), [&](const auto& t) {
            return t.face == ReportFace::kArial && t.top == glyph.top;
        });
        if (arial == page.texts.end()) continue;  // the footer's line has none
        const Word* reference = FindWord(pdf, QString::fromStdString(arial->text),
                                         arial->left * kPointsPerMm, arial->top * kPointsPerMm);
        const Word* word =
            FindWord(pdf, letters, glyph.left * kPointsPerMm, glyph.top * kPointsPerMm);
        const QString what = QStringLiteral("page %1: \"%2\" at %3, %4 mm")
                                 .arg(pageNo)
                                 .arg(QString::fromStdString(glyph.text))
                                 .arg(glyph.left)
                                 .arg(glyph.top);
        QVERIFY2(reference != nullptr && word != nullptr, qPrintable(what + " not found"));
        QVERIFY2(std::abs(word->bottom - reference->bottom) <= kBaselineTolerancePt,
                 qPrintable(QStringLiteral("%1: bottom %2 pt, Arial's %3 pt")
                                .arg(what)
                                .arg(word->bottom)
                                .arg(reference->bottom)));
        ++compared;
    }
    QVERIFY(compared >= 4);  // the headings' line and a detail line's unit and judge
}

constexpr double kRasterDpi = 150.0;
constexpr double kPixelsPerMm = kRasterDpi / 25.4;
constexpr double kLineMm = varlo::ReportLayout::kPointSize * 25.4 / 72.0;  // a 10-point line
constexpr double kToleranceMm = 0.5;
constexpr double kBaselineToleranceMm = 1.2 / kPixelsPerMm;  // a pixel of the raster and a bit

// Page `pageNo` (from 1) of the PDF as pdftoppm renders it.
QImage Raster(const QString& path, int pageNo, const QString& folder) {
    const QString base = folder + QStringLiteral("/raster-%1").arg(pageNo);
    QProcess pdftoppm;
    pdftoppm.start(
        QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-gray"), QStringLiteral("-r"),
         QString::number(kRasterDpi), QStringLiteral("-f"), QString::number(pageNo),
         QStringLiteral("-l"), QString::number(pageNo), QStringLiteral("-singlefile"), path, base});
    if (!pdftoppm.waitForFinished(60000) || pdftoppm.exitCode() != 0) {
        qWarning() << "pdftoppm failed:" << pdftoppm.readAllStandardError();
        return {};
    }
    return QImage(base + QStringLiteral(".png"));
}

// The box, in millimetres, of the dark pixels inside `area` (millimetres).
QRectF InkBoxMm(const QImage& image, const QRectF& area) {
    const int left = std::max(0, static_cast<int>(area.left() * kPixelsPerMm));
    const int top = std::max(0, static_cast<int>(area.top() * kPixelsPerMm));
    const int right = std::min(image.width() - 1, static_cast<int>(area.right() * kPixelsPerMm));
    const int bottom = std::min(image.height() - 1, static_cast<int>(area.bottom() * kPixelsPerMm));
    QRect box;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
        }
    }
    if (box.isEmpty()) return {};
    return {box.left() / kPixelsPerMm, box.top() / kPixelsPerMm, box.width() / kPixelsPerMm,
            box.height() / kPixelsPerMm};
}

// How far below a line's top the Arial texts have their baseline: where the
// ink of the heading "Function", which has no descender, ends.
double ArialBaselineMm(const QImage& image, const varlo::ReportPage& page) {
    for (const varlo::ReportText& text : page.texts) {
        if (text.face == ReportFace::kArial && text.text == "Function") {
            const QRectF ink = InkBoxMm(image, QRectF(text.left - 0.5, text.top - 1.0, 40.0, 6.0));
            return ink.isEmpty() ? -1.0 : ink.bottom() - text.top;
        }
    }
    return -1.0;
}

// A text whose ink ends on the baseline: letters without descenders,
// digits, and the ohm sign, whose feet stand on it.
bool EndsOnTheBaseline(const std::string& text) {
    return text.find_first_not_of("ABCDEFGHIKLMNOPRSTUVWXZabcdefhiklmnorstuvwxz0123456789 *") ==
           std::string::npos;
}

// Checks that every glyph text of the layout's page is inked where the
// layout puts it: its left edge (its middle when centred) in place, and in
// its line on the baseline of the Arial texts.
void ExpectGlyphTexts(const QImage& image, const varlo::ReportPage& page, int pageNo) {
    QVERIFY2(!image.isNull(), "no raster of the page");
    const double arialBaseline = ArialBaselineMm(image, page);
    QVERIFY2(arialBaseline > 0.5 * kLineMm && arialBaseline < 1.5 * kLineMm,
             qPrintable(QString::number(arialBaseline)));
    int glyphTexts = 0;
    for (const varlo::ReportText& text : page.texts) {
        if (text.face != ReportFace::kGlyph) continue;
        ++glyphTexts;
        const double width = varlo::app::GlyphTextWidth(text.text, kLineMm);
        const double left = text.centred ? text.left + (text.width - width) / 2 : text.left;
        const QRectF area(left - 1.5, text.top - 1.0, width + 3.0, 7.0);
        const QRectF ink = InkBoxMm(image, area);
        const QString where = QStringLiteral("page %1: \"%2\" at %3, %4 mm, ink %5, %6 to %7, %8")
                                  .arg(pageNo)
                                  .arg(QString::fromStdString(text.text))
                                  .arg(text.left)
                                  .arg(text.top)
                                  .arg(ink.left())
                                  .arg(ink.top())
                                  .arg(ink.right())
                                  .arg(ink.bottom());
        QVERIFY2(!ink.isEmpty(), qPrintable(where));
        if (text.centred) {
            QVERIFY2(std::abs(ink.center().x() - (text.left + text.width / 2)) <= kToleranceMm,
                     qPrintable(where));
        } else {
            QVERIFY2(std::abs(ink.left() - text.left) <= kToleranceMm, qPrintable(where));
        }
        const double baseline = text.top + arialBaseline;
        QVERIFY2(ink.top() >= text.top - kToleranceMm, qPrintable(where));
        if (EndsOnTheBaseline(text.text)) {
            QVERIFY2(std::abs(ink.bottom() - baseline) <= kBaselineToleranceMm, qPrintable(where));
        } else {  // a descender or a symbol below the baseline
            QVERIFY2(ink.bottom() > baseline - kToleranceMm &&
                         ink.bottom() <= baseline + 0.3 * kLineMm + kToleranceMm,
                     qPrintable(where));
        }
    }
    QVERIFY(glyphTexts >= 8);  // title, five headings, footer and a row's own
}

}  // namespace

class ReportOutputTest : public QObject {
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
        ExpectPage(path, pdf, 0, layout.Page(0));
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
            ExpectPage(path, pdf, p, layout.Page(p));
            if (QTest::currentTestFailed()) return;
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
        ExpectPage(path, pdf, 0, layout.Page(0));
        // From the end of the time to the value, the second line is blank;
        // on the first line the same place holds its function.
        const QImage page = Raster(path, 1, dir_.path());
        const auto functionPlace = [](int line) {
            return QRectF(60.0, 36.4 + 6.6 * line, 48.0, 6.6);
        };
        QVERIFY(!InkBoxMm(page, functionPlace(0)).isEmpty());
        QVERIFY(InkBoxMm(page, functionPlace(1)).isEmpty());
    }

    // A field as long as the log holds (20 characters) is cut at the next
    // column's left edge, and a field of the last column at the right margin.
    void longFieldsAreCutAtTheirColumnsEdge() {
        const std::string wide(20, 'W');
        ReadingLog log;
        log.AppendRow(1, wide, "", "", "", "", 0);
        log.AppendRow(2, "12:00:00", wide, "", "", "", 0);
        log.AppendRow(3, "12:00:00", "", wide, "", "", 0);
        log.AppendRow(4, "12:00:00", "", "", wide, "", 0);  // glyphs, condensed first
        log.AppendRow(5, "12:00:00", "", "", "", wide, 0);  // glyphs, the last column
        const QString path = dir_.filePath(QStringLiteral("wide.pdf"));
        QCOMPARE(PrintToPdf(ReportLayout(log), path), PrintOutcome::kDone);
        const QImage page = Raster(path, 1, dir_.path());
        QVERIFY(!page.isNull());
        const struct {
            const char* column;
            double left;
            double edge;
        } fields[] = {{"time", 43.9, 75.6},
                      {"DC/AC", 75.6, 109.5},
                      {"Value", 109.5, 141.2},
                      {"Unit", 141.2, 173.0},
                      {"Auto", 173.0, 200.0}};
        for (int line = 0; line < 5; ++line) {
            const auto& field = fields[line];
            // The line from the field's left edge to the paper's right edge.
            const double top = 36.4 + 6.6 * line;
            const QRectF ink =
                InkBoxMm(page, QRectF(field.left - 1.0, top, 211.0 - field.left, 6.6));
            const QString what = QStringLiteral("%1: ink %2 to %3 mm, room %4 to %5 mm")
                                     .arg(field.column)
                                     .arg(ink.left())
                                     .arg(ink.right())
                                     .arg(field.left)
                                     .arg(field.edge);
            QVERIFY2(!ink.isEmpty() && std::abs(ink.left() - field.left) <= kToleranceMm,
                     qPrintable(what));
            QVERIFY2(ink.right() <= field.edge + 0.2 && ink.right() >= field.edge - 1.0,
                     qPrintable(what));
        }
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

    void paintsOnAnImageAtItsResolution() {
        ReadingLog log;
        varlo::testing::AppendVariedRows(log, 12);
        const ReportLayout layout(log);
        QImage image(qRound(210.0 * kPixelsPerMm), qRound(297.0 * kPixelsPerMm),
                     QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kPixelsPerMm * 1000.0));
        image.setDotsPerMeterY(qRound(kPixelsPerMm * 1000.0));
        image.fill(Qt::white);
        QPainter painter(&image);
        varlo::app::PaintReportPage(painter, layout, 0);
        painter.end();
        ExpectGlyphTexts(image, layout.Page(0), 1);
        // An Arial field: the first row's number, inked from its left edge.
        const QRectF no = InkBoxMm(image, QRectF(17.0, 37.5, 8.0, 5.0));
        QVERIFY(!no.isEmpty());
        QVERIFY2(std::abs(no.left() - 18.5) <= kToleranceMm,
                 qPrintable(QString::number(no.left())));
    }

  private:
    // Page `index` of the PDF against the layout's page: the Arial texts
    // where pdftotext finds them, the glyph texts on their baseline and
    // where the raster has ink.
    void ExpectPage(const QString& path, const std::vector<PdfPage>& pdf, std::size_t index,
                    const varlo::ReportPage& page) {
        const int pageNo = static_cast<int>(index + 1);
        ExpectArialTexts(pdf[index], page, pageNo);
        if (QTest::currentTestFailed()) return;
        ExpectSharedBaselines(pdf[index], page, pageNo);
        if (QTest::currentTestFailed()) return;
        ExpectGlyphTexts(Raster(path, pageNo, dir_.path()), page, pageNo);
    }

    QTemporaryDir dir_;
};

QTEST_MAIN(ReportOutputTest)
#include "ReportOutputTest.moc"
