#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QTransform>
#include <string_view>
#include <vector>

namespace varlo::app {

// The meter display's face. Texts are spelled in the LCD glyph convention:
// "*" ohm, "+" micro, ")" diode, "&" continuity, "?" temperature, "$" battery,
// "@" the L of "0L", the double-quote character HOLD. Digits are drawn as
// seven-segment figures, those characters as the meter's symbols, and every
// other character (letters, "%", "#", ...) in a bold display face. Everything
// is vector drawing, sharp at any scale and device pixel ratio; letters stay
// text, so that a PDF of them can be searched.
//
// `pixelHeight` is the size of the face, like a font's pixel size: capitals
// and digits are 0.72 of it, and the line box that the vertical alignment
// places is `pixelHeight` high. Nothing is drawn outside `rect`; a text wider
// than `rect` is first condensed (down to 60 % of its width), then clipped.

// Draws `text`, spelled in the LCD glyph convention (UTF-8), inside `rect`
// with glyphs `pixelHeight` high, aligned as `align`, in `colour`.
void DrawGlyphText(QPainter& painter, const QRectF& rect, std::string_view text, qreal pixelHeight,
                   Qt::Alignment align, const QColor& colour = Qt::black);
// The width DrawGlyphText takes for `text` at `pixelHeight`.
qreal GlyphTextWidth(std::string_view text, qreal pixelHeight);
// How far below the top of its line box a text at `pixelHeight` has its
// baseline.
qreal GlyphBaseline(qreal pixelHeight);

// Draws many glyph texts of one height and colour, as DrawGlyphText draws
// each, with one set-up of the painter: what a recording device (a print
// preview, a PDF) keeps of them is the texts and the shapes, not the
// painter's state around each. The drawn shapes of each text make one path;
// the paths are collected and filled when this object is destroyed (those of
// a text that has to be clipped at once), which also puts the painter's pen,
// brush, font, transform and render hints back as they were. Meanwhile the
// painter's state is left to this object.
class GlyphTextPainter {
  public:
    GlyphTextPainter(QPainter& painter, qreal pixelHeight, const QColor& colour = Qt::black);
    ~GlyphTextPainter();
    GlyphTextPainter(const GlyphTextPainter&) = delete;
    GlyphTextPainter& operator=(const GlyphTextPainter&) = delete;

    void Draw(const QRectF& rect, std::string_view text, Qt::Alignment align);

  private:
    void PrepareForText();
    // Reference pixels of the face, condensed by `condense`, to the
    // painter's coordinates with the reference origin at `origin`.
    QTransform TextTransform(qreal condense, QPointF origin) const;

    QPainter& painter_;
    qreal pixelHeight_;
    qreal textScale_;  // painter units per reference pixel of the face
    QColor colour_;
    std::vector<QPainterPath> shapes_;  // one a text, in the painter's coordinates
    bool prepared_ = false;
    bool penChanged_ = false;
    bool fontChanged_ = false;
    QPainter::RenderHints hintsAdded_;
    QPen pen_;
    QFont font_;
    QTransform transform_;  // the painter's own, while texts draw in their scale
};

}  // namespace varlo::app
