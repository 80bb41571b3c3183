#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <string_view>

namespace varlo::app {

// The meter display's face. Texts are spelled in the LCD glyph convention:
// "*" ohm, "+" micro, ")" diode, "&" continuity, "?" temperature, "$" battery,
// "@" the L of "0L", the double-quote character HOLD. Digits are drawn as
// seven-segment figures, those characters as the meter's symbols, and every
// other character (letters, "%", "#", ...) in a bold display face. Everything
// is vector drawing, sharp at any scale and device pixel ratio.
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

}  // namespace varlo::app
