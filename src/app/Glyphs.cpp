#include "app/Glyphs.h"

#include <QFontMetricsF>
#include <QString>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/FontFamilies.h"
#include "app/LcdGlyphShapes.h"

namespace varlo::app {

namespace {

// A text wider than its rectangle is condensed down to this share of its
// width before it is clipped.
constexpr qreal kMinCondense = 0.6;

// Laid-out texts kept for reuse: the display's captions, the grid's units
// and a report's texts repeat all the time.
constexpr std::size_t kLayoutCacheSize = 512;

constexpr QPainter::RenderHints kHints = QPainter::Antialiasing | QPainter::TextAntialiasing;

// The face for every character without a drawn shape: a bold sans-serif,
// measured at a large reference size and scaled so that its capitals are as
// high as the seven-segment digits.
struct DisplayFace {
    static constexpr int kReferencePixels = 200;
    QFont font;
    QFontMetricsF metrics{font};
    qreal emPerPixel = 1.0;  // em units per reference pixel

    DisplayFace() {
        font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica"),
                          QStringLiteral("DejaVu Sans")});
        font.setStyleHint(QFont::SansSerif, QFont::PreferOutline);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setWeight(QFont::Bold);
        font.setPixelSize(kReferencePixels);
        font = WithOneFamily(font);
        metrics = QFontMetricsF(font);
        qreal capHeight = metrics.capHeight();
        if (!(capHeight > 0)) {
            capHeight = metrics.ascent() * 0.75;
        }
        emPerPixel = (glyph::kBaseline - glyph::kCapTop) / capHeight;
    }
};

const DisplayFace& Face() {
    static const DisplayFace face;
    return face;
}

// A run of characters of the display face. Positions are in em units.
struct Run {
    QString text;
    qreal x = 0;
};

// A text laid out in em units, its line box's top left corner at 0, 0.
struct Layout {
    std::vector<Run> runs;
    QPainterPath shapes;  // every drawn shape at its place, one path
    qreal width = 0;
    QRectF ink;  // where the text may put ink
};

Layout LayOut(std::string_view text) {
    const DisplayFace& face = Face();
    Layout layout;
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString run;
    const auto flushRun = [&] {
        if (run.isEmpty()) {
            return;
        }
        const qreal e = face.emPerPixel;
        const QRectF bounds = face.metrics.tightBoundingRect(run);
        layout.ink |= QRectF(layout.width + bounds.x() * e, glyph::kBaseline + bounds.y() * e,
                             bounds.width() * e, bounds.height() * e);
        layout.runs.push_back({run, layout.width});
        layout.width += face.metrics.horizontalAdvance(run) * e;
        run.clear();
    };
    for (const char32_t c : decoded.toUcs4()) {
        if (const glyph::GlyphShape* shape = glyph::ShapeFor(c)) {
            flushRun();
            // Each shape stays inside its own cell: one path holds them all
            // without overlaps, so that each fills as it does alone.
            const QPainterPath placed = shape->path.translated(layout.width, 0);
            layout.shapes.addPath(placed);
            layout.ink |= placed.boundingRect();
            layout.width += shape->advance;
        } else {
            run.append(QString::fromUcs4(&c, 1));
        }
    }
    flushRun();
    return layout;
}

const Layout& CachedLayout(std::string_view text) {
    thread_local std::unordered_map<std::string, Layout> cache;
    const std::string key(text);
    if (const auto found = cache.find(key); found != cache.end()) {
        return found->second;
    }
    if (cache.size() >= kLayoutCacheSize) {
        cache.clear();
    }
    return cache.emplace(key, LayOut(text)).first->second;
}

bool Drawable(std::string_view text, qreal pixelHeight) {
    return !text.empty() && std::isfinite(pixelHeight) && pixelHeight > 0;
}

}  // namespace

qreal GlyphTextWidth(std::string_view text, qreal pixelHeight) {
    if (!Drawable(text, pixelHeight)) {
        return 0;
    }
    return CachedLayout(text).width * pixelHeight;
}

qreal GlyphBaseline(qreal pixelHeight) {
    return glyph::kBaseline * pixelHeight;
}

void DrawGlyphText(QPainter& painter, const QRectF& rect, std::string_view text, qreal pixelHeight,
                   Qt::Alignment align, const QColor& colour) {
    if (!Drawable(text, pixelHeight) || rect.isEmpty()) {
        return;
    }
    GlyphTextPainter(painter, pixelHeight, colour).Draw(rect, text, align);
}

GlyphTextPainter::GlyphTextPainter(QPainter& painter, qreal pixelHeight, const QColor& colour)
    : painter_(painter),
      pixelHeight_(pixelHeight),
      textScale_(pixelHeight * Face().emPerPixel),
      colour_(colour) {
    hintsAdded_ = kHints & ~painter_.renderHints();
    if (hintsAdded_) {
        painter_.setRenderHints(hintsAdded_, true);
    }
}

GlyphTextPainter::~GlyphTextPainter() {
    if (prepared_) {
        painter_.setWorldTransform(transform_);
    }
    if (!shapes_.empty()) {
        // One change of pen and brush for all of them.
        const QPen pen = painter_.pen();
        const QBrush brush = painter_.brush();
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(colour_);
        for (const QPainterPath& path : shapes_) {
            painter_.drawPath(path);
        }
        painter_.setPen(pen);
        painter_.setBrush(brush);
    }
    if (fontChanged_) {
        painter_.setFont(font_);
    }
    if (penChanged_) {
        painter_.setPen(pen_);
    }
    if (hintsAdded_) {
        painter_.setRenderHints(hintsAdded_, false);
    }
}

// Text is drawn with the pen, in the face at its reference size, scaled to
// the texts' size: once set, every text of this painter draws without a
// further change of the painter's state.
void GlyphTextPainter::PrepareForText() {
    if (prepared_) {
        return;
    }
    prepared_ = true;
    const QPen pen(colour_);
    if (painter_.pen() != pen) {
        pen_ = painter_.pen();
        penChanged_ = true;
        painter_.setPen(pen);
    }
    if (painter_.font() != Face().font) {
        font_ = painter_.font();
        fontChanged_ = true;
        painter_.setFont(Face().font);
    }
    transform_ = painter_.worldTransform();
    painter_.setWorldTransform(TextTransform(1.0, QPointF()));
}

QTransform GlyphTextPainter::TextTransform(qreal condense, QPointF origin) const {
    return QTransform(textScale_ * condense, 0, 0, textScale_, origin.x(), origin.y()) * transform_;
}

void GlyphTextPainter::Draw(const QRectF& rect, std::string_view text, Qt::Alignment align) {
    if (!Drawable(text, pixelHeight_) || rect.isEmpty()) {
        return;
    }
    const Layout& layout = CachedLayout(text);
    const qreal h = pixelHeight_;
    const qreal naturalWidth = layout.width * h;
    const qreal condense =
        naturalWidth > rect.width() ? std::max(rect.width() / naturalWidth, kMinCondense) : 1.0;
    const qreal width = naturalWidth * condense;

    qreal x = rect.left();
    if (align & (Qt::AlignRight | Qt::AlignTrailing)) {
        x = rect.right() - width;
    } else if (align & Qt::AlignHCenter) {
        x = rect.left() + (rect.width() - width) / 2;
    }
    x = std::max(x, rect.left());  // a clipped text keeps its beginning
    qreal y = rect.top();
    if (align & Qt::AlignBottom) {
        y = rect.bottom() - h;
    } else if (align & Qt::AlignVCenter) {
        y = rect.top() + (rect.height() - h) / 2;
    }
    const QPointF baseline(x, y + glyph::kBaseline * h);

    // From the text's em units to the painter's coordinates.
    const QTransform place(h * condense, 0, 0, h, x, y);
    const bool clip = !rect.contains(place.mapRect(layout.ink));
    const bool plain = !clip && condense == 1.0;
    if (!layout.runs.empty()) {
        PrepareForText();
    }
    if (plain) {
        // In the texts' scale: positions divided by it.
        for (const Run& run : layout.runs) {
            painter_.drawText((baseline + QPointF(run.x * h, 0)) / textScale_, run.text);
        }
        if (!layout.shapes.isEmpty()) {
            shapes_.push_back(place.map(layout.shapes));
        }
        return;
    }

    painter_.save();
    if (prepared_) {
        painter_.setWorldTransform(transform_);
    }
    if (clip) {
        painter_.setClipRect(rect, painter_.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    if (!layout.runs.empty()) {
        painter_.setWorldTransform(TextTransform(condense, baseline));
        for (const Run& run : layout.runs) {
            painter_.drawText(QPointF(run.x / Face().emPerPixel, 0), run.text);
        }
        painter_.setWorldTransform(transform_);
    }
    if (!layout.shapes.isEmpty()) {
        painter_.fillPath(place.map(layout.shapes), colour_);
    }
    painter_.restore();
}

}  // namespace varlo::app
