#include "app/Glyphs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/LcdGlyphShapes.h"

namespace varlo::app {

namespace {

using glyph::GlyphShape;

// A text wider than its rectangle is condensed down to this share of its
// width before it is clipped.
constexpr qreal kMinCondense = 0.6;

// The face for every character without a drawn shape: a bold sans-serif,
// held at a large reference size and scaled so that its capitals are as high
// as the seven-segment digits.
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

// One piece of a laid-out text: a drawn shape, or a run of characters of the
// display face. Positions and widths are in em units.
struct Piece {
    const GlyphShape* shape = nullptr;
    QString run;
    qreal x = 0;
    qreal advance = 0;
};

struct Layout {
    std::vector<Piece> pieces;
    qreal width = 0;  // em
};

Layout LayOut(std::string_view text) {
    Layout layout;
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString run;
    const auto flushRun = [&] {
        if (run.isEmpty()) {
            return;
        }
        const qreal advance = Face().metrics.horizontalAdvance(run) * Face().emPerPixel;
        layout.pieces.push_back({nullptr, run, layout.width, advance});
        layout.width += advance;
        run.clear();
    };
    for (const char32_t c : decoded.toUcs4()) {
        if (const GlyphShape* shape = glyph::ShapeFor(c)) {
            flushRun();
            layout.pieces.push_back({shape, {}, layout.width, shape->advance});
            layout.width += shape->advance;
        } else {
            run.append(QString::fromUcs4(&c, 1));
        }
    }
    flushRun();
    return layout;
}

bool Drawable(std::string_view text, qreal pixelHeight) {
    return !text.empty() && std::isfinite(pixelHeight) && pixelHeight > 0;
}

}  // namespace

qreal GlyphTextWidth(std::string_view text, qreal pixelHeight) {
    if (!Drawable(text, pixelHeight)) {
        return 0;
    }
    return LayOut(text).width * pixelHeight;
}

void DrawGlyphText(QPainter& painter, const QRectF& rect, std::string_view text, qreal pixelHeight,
                   Qt::Alignment align, const QColor& colour) {
    if (!Drawable(text, pixelHeight) || rect.isEmpty()) {
        return;
    }
    const Layout layout = LayOut(text);
    const qreal naturalWidth = layout.width * pixelHeight;
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
        y = rect.bottom() - pixelHeight;
    } else if (align & Qt::AlignVCenter) {
        y = rect.top() + (rect.height() - pixelHeight) / 2;
    }

    painter.save();
    painter.setClipRect(rect, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(x, y);
    painter.scale(pixelHeight * condense, pixelHeight);
    painter.setPen(colour);
    painter.setBrush(Qt::NoBrush);
    painter.setFont(Face().font);
    for (const Piece& piece : layout.pieces) {
        if (piece.shape) {
            painter.fillPath(piece.shape->path.translated(piece.x, 0), colour);
            continue;
        }
        painter.save();
        painter.translate(piece.x, glyph::kBaseline);
        painter.scale(Face().emPerPixel, Face().emPerPixel);
        painter.drawText(QPointF(0, 0), piece.run);
        painter.restore();
    }
    painter.restore();
}

}  // namespace varlo::app
