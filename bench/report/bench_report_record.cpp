// What a print preview records of the report: the bytes of single texts, as
// the first of them on a page and as one more (the painter's state, set up
// once, recorded with the first), and of every page of a long log, recorded
// into pictures as the preview records them.

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPicture>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "BenchFigure.h"
#include "ReportRows.h"
#include "app/Glyphs.h"
#include "app/ReportPrinter.h"
#include "recording/ReportLayout.h"

namespace {

// The preview may hold 150 MB for 100,000 rows (2,858 pages), and keeps
// about 4.5 KB beside the recording of each page.
constexpr double kTargetPageBytes = 48'000;

using Paint = std::function<void(QPainter&)>;

int Recorded(const Paint& paint) {
    QPicture picture;
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    paint(painter);
    painter.end();
    return picture.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000;

    // A 10-point line at 1200 dots an inch, as on the preview's printer.
    const QRectF box(1000, 1000, 1500, 312);
    const qreal pixels = 166.7;
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(167);
    std::printf("report record, one text of a line\n");
    std::printf("  %-22s %8s %8s\n", "", "first", "another");
    const auto text = [&](const char* what, const Paint& draw) {
        const int none = Recorded([](QPainter&) {});
        const int one = Recorded(draw);
        const int two = Recorded([&](QPainter& p) {
            draw(p);
            draw(p);
        });
        std::printf("  %-22s %6d B %6d B\n", what, one - none, two - one);
    };
    text("Arial \"12.345\"", [&](QPainter& p) {
        p.setFont(arial);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("12.345"));
    });
    for (const char* glyphText : {"Pass", "K*", "?"}) {
        const std::string label = std::string("glyphs \"") + glyphText + "\"";
        text(label.c_str(), [&](QPainter& p) {
            varlo::app::DrawGlyphText(p, box, glyphText, pixels, Qt::AlignLeft | Qt::AlignTop);
        });
    }

    // The report draws a page's glyph texts through one painter.
    for (const char* glyphText : {"Pass", "K*", "?"}) {
        const auto page = [&](int count) {
            return Recorded([&](QPainter& p) {
                varlo::app::GlyphTextPainter glyphs(p, pixels);
                for (int i = 0; i < count; ++i) {
                    glyphs.Draw(box.translated(0, 312 * i), glyphText,
                                Qt::AlignLeft | Qt::AlignTop);
                }
            });
        };
        const std::string label = std::string("\"") + glyphText + "\", one painter";
        std::printf("  %-22s %6d B %6d B\n", label.c_str(), page(1) - Recorded([](QPainter&) {}),
                    (page(35) - page(1)) / 34);
    }

    varlo::ReadingLog log;
    varlo::bench::FillReportRows(log, rows);
    const varlo::ReportLayout layout(log);
    double total = 0;
    int largest = 0;
    for (std::size_t page = 0; page < layout.PageCount(); ++page) {
        const int bytes =
            Recorded([&](QPainter& p) { varlo::app::PaintReportPage(p, layout, page); });
        total += bytes;
        largest = std::max(largest, bytes);
    }
    const double mean = layout.PageCount() > 0 ? total / layout.PageCount() : 0;
    std::printf("report record, %zu rows, %zu pages\n", rows, layout.PageCount());
    using namespace varlo::bench;
    const std::string of =
        "of " + std::to_string(layout.PageCount()) + " pages, " + std::to_string(rows) + " rows";
    Figure("report page recorded, on average", mean, "B", AtMost(kTargetPageBytes), of);
    Figure("report page recorded, the largest", largest, "B", kNoTarget, of);
    Figure("report pages recorded, all", total / 1e6, "MB", kNoTarget, of);
    return 0;
}
