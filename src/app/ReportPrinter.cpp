#include "app/ReportPrinter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <vector>

#include "app/FontFamilies.h"
#include "app/Glyphs.h"
#include "recording/ReportLayout.h"

namespace varlo::app {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;

// Device pixels per millimetre, from the device's resolution.
struct Scale {
    double x;
    double y;
    double pointPixels;  // pixels of one point, vertically
};

Scale DeviceScale(const QPaintDevice& device) {
    return {device.logicalDpiX() / kMmPerInch, device.logicalDpiY() / kMmPerInch,
            device.logicalDpiY() / kPointsPerInch};
}

// Arial, or where it is not installed a face with its measures.
// Found once: every page uses it.
const QFont& ArialFont() {
    static const QFont arial = [] {
        QFont font;
        font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(ReportLayout::kPointSize);
        return WithOneFamily(font);
    }();
    return arial;
}

// The pages the printer asks for, from 0, in the order it wants them.
std::vector<std::size_t> PagesToPrint(const QPrinter& printer, std::size_t pageCount) {
    std::size_t first = 1;
    std::size_t last = pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = static_cast<std::size_t>(printer.fromPage());
        if (printer.toPage() > 0) last = std::min(last, static_cast<std::size_t>(printer.toPage()));
    }
    std::vector<std::size_t> pages;
    for (std::size_t page = first; page <= last; ++page) pages.push_back(page - 1);
    if (printer.pageOrder() == QPrinter::LastPageFirst) std::reverse(pages.begin(), pages.end());
    return pages;
}

}  // namespace

void SetUpReportPrinter(QPrinter& printer) {
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(ReportLayout::kMargin, ReportLayout::kMargin,
                                                ReportLayout::kMargin, ReportLayout::kMargin),
                                      QPageLayout::Millimeter));
    printer.setFullPage(true);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setDocName(QString::fromLatin1(ReportLayout::kTitle));
}

void PaintReportPage(QPainter& painter, const ReportLayout& layout, std::size_t index) {
    const ReportPage page = layout.Page(index);
    const Scale scale = DeviceScale(*painter.device());
    const QFont& arial = ArialFont();
    const double lineHeight = ReportLayout::kDetailHeight * scale.y;
    const double glyphPixels = ReportLayout::kPointSize * scale.pointPixels;
    // An Arial text stands on the baseline its ascent below the line's top;
    // the glyph texts are moved down onto the same baseline.
    const double glyphDrop =
        QFontMetricsF(arial, painter.device()).ascent() - GlyphBaseline(glyphPixels);
    const auto box = [&](const ReportText& text) {
        return QRectF(text.left * scale.x, text.top * scale.y, text.width * scale.x, lineHeight);
    };
    const auto align = [](const ReportText& text) {
        return Qt::AlignTop | (text.centred ? Qt::AlignHCenter : Qt::AlignLeft);
    };

    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(arial);
    // The Arial texts, then the glyph texts with one set-up of the painter,
    // so that a preview records little more than the texts. A text longer
    // than its room is cut at the room's end.
    for (const ReportText& text : page.texts) {
        if (text.face == ReportFace::kArial) {
            painter.drawText(box(text), static_cast<int>(align(text)),
                             QString::fromStdString(text.text));
        }
    }
    {
        GlyphTextPainter glyphs(painter, glyphPixels);
        for (const ReportText& text : page.texts) {
            if (text.face == ReportFace::kGlyph) {
                glyphs.Draw(box(text).translated(0, glyphDrop), text.text, align(text));
            }
        }
    }
    painter.restore();
}

PrintOutcome PrintReport(QPrinter& printer, const ReportLayout& layout,
                         const ReportProgress& progress) {
    const std::vector<std::size_t> pages = PagesToPrint(printer, layout.PageCount());
    if (pages.empty()) return PrintOutcome::kDone;
    if (progress && !progress(0, pages.size())) return PrintOutcome::kCancelled;
    QPainter painter;
    if (!painter.begin(&printer)) return PrintOutcome::kFailed;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return PrintOutcome::kFailed;
        }
        PaintReportPage(painter, layout, pages[i]);
        if (progress && !progress(i + 1, pages.size())) {
            // Qt's PDF and print-system engines cannot take back pages
            // already painted: ending here keeps them.
            painter.end();
            return PrintOutcome::kCancelled;
        }
    }
    return painter.end() ? PrintOutcome::kDone : PrintOutcome::kFailed;
}

}  // namespace varlo::app
