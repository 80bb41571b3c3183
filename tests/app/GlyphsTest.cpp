#include <QtTest>
#include <cmath>
#include <limits>
#include <string>

#include "GlyphInk.h"
#include "app/Glyphs.h"

using varlo::app::DrawGlyphText;
using varlo::app::GlyphTextPainter;
using varlo::app::GlyphTextWidth;
using varlo::test::InkBox;
using varlo::test::Inked;
using varlo::test::Render;
using varlo::test::TouchedBox;

namespace {

QImage RenderText(std::string_view text, qreal height, QSize size, QRectF rect, Qt::Alignment align,
                  qreal dpr = 1.0) {
    return Render(
        size, [&](QPainter& p) { DrawGlyphText(p, rect, text, height, align); }, dpr);
}

}  // namespace

class GlyphsTest : public QObject {
    Q_OBJECT

  private slots:
    // Digits and the L of "0L" light the segments of a seven-segment figure:
    // each of the seven is probed inside the box of a drawn "8".
    void digitsAreSevenSegmentFigures() {
        const QSize size(60, 110);
        const QRectF rect(10, 0, 40, 100);
        const auto draw = [&](const char* text) {
            return RenderText(text, 100, size, rect, Qt::AlignLeft | Qt::AlignTop);
        };
        const QRect box = InkBox(draw("8"));
        QVERIFY(box.height() > 60);
        const double l = box.left() + 0.06 * box.width();
        const double r = box.right() - 0.06 * box.width();
        const double cx = box.center().x();
        const double t = box.top() + 0.03 * box.height();
        const double b = box.bottom() - 0.03 * box.height();
        const double up = box.top() + 0.25 * box.height();
        const double low = box.top() + 0.75 * box.height();
        const double mid = box.top() + 0.5 * box.height();
        const struct {
            char segment;
            double x, y;
        } probes[] = {{'a', cx, t},  {'b', r, up}, {'c', r, low}, {'d', cx, b},
                      {'e', l, low}, {'f', l, up}, {'g', cx, mid}};
        const struct {
            const char* text;
            const char* segments;
        } figures[] = {{"0", "abcdef"},  {"1", "bc"},     {"2", "abdeg"},  {"3", "abcdg"},
                       {"4", "bcfg"},    {"5", "acdfg"},  {"6", "acdefg"}, {"7", "abc"},
                       {"8", "abcdefg"}, {"9", "abcdfg"}, {"@", "def"}};
        for (const auto& figure : figures) {
            const QImage image = draw(figure.text);
            QString lit;
            for (const auto& probe : probes) {
                if (Inked(image, int(probe.x), int(probe.y))) {
                    lit += QChar(probe.segment);
                }
            }
            QCOMPARE(lit, QString(figure.segments));
        }
    }

    // The symbols of the convention are drawn as the meter's symbols, not as
    // the characters that spell them.
    void conventionCharactersDrawMeterSymbols() {
        const qreal h = 80;
        const QSize size(120, 110);
        const QRectF rect(10, 10, 100, h);
        const auto box = [&](const char* text) {
            return InkBox(RenderText(text, h, size, rect, Qt::AlignLeft | Qt::AlignTop));
        };
        const QRect eight = box("8");  // cap top to baseline
        const QRect ohm = box("*");
        QVERIFY2(ohm.top() <= eight.top() + 4 && ohm.bottom() >= eight.bottom() - 2,
                 "ohm sign stands from cap height to the baseline");
        QVERIFY2(box("+").bottom() > eight.bottom() + 0.08 * h, "micro sign has a descender");
        const QRect diode = box(")");
        QVERIFY2(diode.width() > 1.3 * diode.height(), "diode symbol lies across");
        const QRect hold = box("\"");
        QVERIFY2(hold.bottom() >= eight.bottom() - 2 && hold.top() <= eight.top() + 2,
                 "HOLD symbol is a full-height frame");
        const QRect battery = box("$");
        QVERIFY2(battery.bottom() <= eight.bottom() + 1 && battery.height() > 0.6 * h,
                 "battery stands on the baseline");

        // No two symbols look alike.
        const char* symbols[] = {"*", "+", ")", "&", "?", "$", "\"", "@", "%"};
        QList<QImage> images;
        for (const char* s : symbols) {
            images << RenderText(s, h, size, rect, Qt::AlignLeft | Qt::AlignTop);
        }
        for (int i = 0; i < images.size(); ++i) {
            QVERIFY2(!InkBox(images[i]).isEmpty(), symbols[i]);
            for (int j = i + 1; j < images.size(); ++j) {
                QVERIFY2(images[i] != images[j],
                         qPrintable(QString("%1 and %2 look alike").arg(symbols[i], symbols[j])));
            }
        }
    }

    // What is drawn stays within the width GlyphTextWidth reports, at every
    // horizontal alignment, and fills most of it.
    void inkStaysWithinTheReportedWidth() {
        const qreal h = 24;
        const QRectF rect(20, 10, 300, 30);
        for (const char* text : {"mV", "&  *", "K*", "V)", "kHz", "uA", "?", "0L", "-0.123",
                                 "Test Data", "Pass", "\xC2\xB5\xCE\xA9\xC2\xB0"}) {
            const qreal width = GlyphTextWidth(text, h);
            QVERIFY2(width > 0.3 * h, text);
            QCOMPARE(GlyphTextWidth(text, 2 * h), 2 * width);
            for (const Qt::Alignment align : {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter}) {
                const qreal left = align == Qt::AlignLeft    ? rect.left()
                                   : align == Qt::AlignRight ? rect.right() - width
                                                             : rect.center().x() - width / 2;
                const QRect ink =
                    TouchedBox(RenderText(text, h, QSize(340, 50), rect, align | Qt::AlignVCenter));
                const QString what = QString("%1 aligned %2").arg(text).arg(int(align));
                QVERIFY2(ink.left() >= std::floor(left) - 1, qPrintable(what));
                QVERIFY2(ink.right() <= std::ceil(left + width) + 1, qPrintable(what));
                QVERIFY2(ink.width() >= width - 0.25 * h, qPrintable(what));
            }
        }
    }

    // The line box of `pixelHeight` is placed by the vertical alignment; a
    // digit stands in it from cap height to the baseline.
    void verticalAlignmentPlacesTheLineBox() {
        const qreal h = 20;
        const QRectF rect(0, 10, 40, 60);
        const struct {
            Qt::Alignment align;
            qreal lineTop;
        } cases[] = {{Qt::AlignTop, 10}, {Qt::AlignVCenter, 30}, {Qt::AlignBottom, 50}};
        for (const auto& c : cases) {
            const QRect ink =
                InkBox(RenderText("8", h, QSize(40, 80), rect, Qt::AlignLeft | c.align));
            QVERIFY2(std::abs(ink.top() - (c.lineTop + 0.13 * h)) <= 1.5,
                     qPrintable(QString::number(c.lineTop)));
            QVERIFY2(std::abs(ink.bottom() + 1 - (c.lineTop + 0.85 * h)) <= 1.5,
                     qPrintable(QString::number(c.lineTop)));
        }
    }

    // A text wider than its rectangle is condensed to fit, and beyond that
    // clipped: nothing is ever drawn outside the rectangle.
    void tooWideTextIsCondensedThenClipped() {
        const QRectF rect(30, 5, 60, 20);
        const std::string autoRange = "Auto range";
        QVERIFY(GlyphTextWidth(autoRange, 16) > rect.width());
        QVERIFY(GlyphTextWidth(autoRange, 16) < rect.width() / 0.6);
        const QRect condensed =
            TouchedBox(RenderText(autoRange, 16, QSize(120, 30), rect, Qt::AlignRight));
        QVERIFY(rect.toAlignedRect().contains(condensed));
        QVERIFY2(condensed.width() >= rect.width() - 3, "condensed text fills the rectangle");

        const std::string longText(200, 'M');
        const QRect clipped =
            TouchedBox(RenderText(longText, 16, QSize(120, 30), rect, Qt::AlignRight));
        QVERIFY(rect.toAlignedRect().contains(clipped));
        QVERIFY2(clipped.left() <= rect.left() + 3, "a clipped text keeps its beginning");
    }

    // Vector drawing: at a device pixel ratio of 2 a glyph is the same as the
    // glyph drawn twice as large, and a segment edge on a pixel boundary has
    // no blurred pixels.
    void sharpAtDevicePixelRatio2() {
        const qreal h = 50;
        for (const char* text : {"8", "*", "+", ")", "&", "?", "$", "\"", "-0.@"}) {
            const QImage retina =
                RenderText(text, h, QSize(80, 60), QRectF(10, 5, 70, 55), Qt::AlignLeft, 2.0);
            const QImage doubled =
                RenderText(text, 2 * h, QSize(160, 120), QRectF(20, 10, 140, 110), Qt::AlignLeft);
            QCOMPARE(retina.size(), doubled.size());
            int worst = 0;
            for (int y = 0; y < retina.height(); ++y) {
                for (int x = 0; x < retina.width(); ++x) {
                    worst = std::max(
                        worst, std::abs(qGray(retina.pixel(x, y)) - qGray(doubled.pixel(x, y))));
                }
            }
            qInfo("%s: DPR 2 against 2x, worst pixel difference %d grey levels", text, worst);
            QVERIFY2(worst <= 8, qPrintable(QString("%1: differs by %2").arg(text).arg(worst)));
        }
        // The right edge of segment b of "8" falls on device pixel 20 + 38.
        const QImage eight =
            RenderText("8", h, QSize(80, 60), QRectF(10, 5, 70, 55), Qt::AlignLeft, 2.0);
        const int row = 2 * (5 + 0.35 * h);
        QCOMPARE(qGray(eight.pixel(57, row)), 0);
        QCOMPARE(qGray(eight.pixel(58, row)), 255);
    }

    // Many texts through one GlyphTextPainter paint what DrawGlyphText
    // paints for each, clipped and condensed ones included, and leave the
    // painter's state as they found it.
    void painterForManyTextsDrawsAsSingleCalls() {
        const struct {
            const char* text;
            QRectF rect;
            Qt::Alignment align;
        } texts[] = {
            {"Pass", QRectF(4, 4, 120, 30), Qt::AlignLeft | Qt::AlignTop},
            {"K*", QRectF(130, 4, 80, 30), Qt::AlignRight | Qt::AlignVCenter},
            {"?", QRectF(220, 4, 40, 30), Qt::AlignHCenter | Qt::AlignBottom},
            {"&  *", QRectF(4, 40, 120, 30), Qt::AlignLeft | Qt::AlignTop},
            {"Auto range", QRectF(130, 40, 60, 30), Qt::AlignRight | Qt::AlignTop},  // condensed
            {"-0.@ Wide text", QRectF(200, 40, 50, 30), Qt::AlignLeft},              // clipped
            {"gjpqy +A", QRectF(4, 76, 100, 16), Qt::AlignLeft | Qt::AlignTop},  // clipped below
        };
        const QColor ink(20, 20, 20);
        for (const qreal dpr : {1.0, 2.0}) {
            const QImage single = Render(
                QSize(270, 100),
                [&](QPainter& p) {
                    for (const auto& t : texts) DrawGlyphText(p, t.rect, t.text, 22, t.align, ink);
                },
                dpr);
            QPen pen(Qt::red, 3);
            QFont font(QStringLiteral("DejaVu Serif"), 7);
            QTransform before;
            bool stateKept = false;
            const QImage many = Render(
                QSize(270, 100),
                [&](QPainter& p) {
                    p.setPen(pen);
                    p.setBrush(Qt::green);
                    p.setFont(font);
                    p.setClipRect(QRect(0, 0, 268, 98));
                    before = p.worldTransform();
                    {
                        GlyphTextPainter glyphs(p, 22, ink);
                        for (const auto& t : texts) glyphs.Draw(t.rect, t.text, t.align);
                    }
                    stateKept = p.pen() == pen && p.brush() == QBrush(Qt::green) &&
                                p.font() == font && p.worldTransform() == before &&
                                p.clipBoundingRect() == QRectF(0, 0, 268, 98) &&
                                !p.testRenderHint(QPainter::Antialiasing);
                },
                dpr);
            QVERIFY2(stateKept, "the painter's state changed");
            int worst = 0;
            for (int y = 0; y < single.height(); ++y) {
                for (int x = 0; x < single.width(); ++x) {
                    worst = std::max(worst,
                                     std::abs(qGray(single.pixel(x, y)) - qGray(many.pixel(x, y))));
                }
            }
            qInfo("DPR %g: one painter against single calls, worst pixel difference %d", dpr,
                  worst);
            QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
            QVERIFY(!InkBox(many).isEmpty());
        }
    }

    // Bad input draws what it can and never crashes; nothing is lost silently.
    void emptyOddAndInvalidInput() {
        const QSize size(200, 40);
        const QRectF rect(0, 0, 200, 40);
        QCOMPARE(GlyphTextWidth("", 20), 0.0);
        QVERIFY(TouchedBox(RenderText("", 20, size, rect, Qt::AlignLeft)).isEmpty());
        for (const qreal h : {0.0, -5.0, std::numeric_limits<qreal>::quiet_NaN(),
                              std::numeric_limits<qreal>::infinity()}) {
            QCOMPARE(GlyphTextWidth("mV", h), 0.0);
            QVERIFY(TouchedBox(RenderText("mV", h, size, rect, Qt::AlignLeft)).isEmpty());
        }
        // Invalid UTF-8 shows as replacement marks beside the valid text.
        const std::string invalid = "\xff\xfeV";
        QVERIFY(GlyphTextWidth(invalid, 20) > GlyphTextWidth("V", 20));
        QVERIFY(!InkBox(RenderText(invalid, 20, size, rect, Qt::AlignLeft)).isEmpty());
        // A character of no convention is drawn from the display face.
        QVERIFY(!InkBox(RenderText("\xE6\xB8\xA9", 20, size, rect, Qt::AlignLeft)).isEmpty());
    }
};

QTEST_MAIN(GlyphsTest)
#include "GlyphsTest.moc"
