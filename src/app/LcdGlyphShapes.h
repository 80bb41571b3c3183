#pragma once

#include <QPainterPath>
#include <QtGlobal>

// The drawn shapes of the display face: seven-segment figures and the
// meter's symbols. Coordinates are in em units: the line box runs from y 0 to
// y 1 (downwards), capitals and digits stand between kCapTop and kBaseline.
namespace varlo::app::glyph {

inline constexpr qreal kCapTop = 0.13;
inline constexpr qreal kBaseline = 0.85;
inline constexpr qreal kMiddle = (kCapTop + kBaseline) / 2;

struct GlyphShape {
    QPainterPath path;  // filled, winding rule
    qreal advance = 0;  // width of the glyph's cell, side bearings included
};

// The shape for `c`, or nullptr when `c` is drawn from the display face.
const GlyphShape* ShapeFor(char32_t c);

// Seven-segment figures: "0" to "9", "@" (the L of "0L"), "-", ".".
GlyphShape SegmentGlyph(char32_t c);
// Symbols: "*", "+", ")", "&", "?", "$" and the double quote.
GlyphShape SymbolGlyph(char32_t c);

}  // namespace varlo::app::glyph
