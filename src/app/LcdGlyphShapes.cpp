#include "app/LcdGlyphShapes.h"

#include <array>
#include <string_view>

namespace varlo::app::glyph {

namespace {

constexpr std::u32string_view kSegmentChars = U"0123456789@-.";
constexpr std::u32string_view kSymbolChars = U"*+)&?$\"";

// `path` without the last point of each outline where it returns to the
// outline's first: a filled outline closes itself, and a recording paint
// device (a print preview) keeps every point of every path it is given.
// Outlines of straight lines only, as all the shapes are: a path with curves
// is kept as it is.
QPainterPath WithoutClosingPoints(const QPainterPath& path) {
    for (int i = 0; i < path.elementCount(); ++i) {
        if (path.elementAt(i).isCurveTo()) {
            return path;
        }
    }
    QPainterPath open;
    open.setFillRule(path.fillRule());
    int start = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            start = i;
            open.moveTo(e);
            continue;
        }
        const bool last = i + 1 == path.elementCount() || path.elementAt(i + 1).isMoveTo();
        if (last && e.isLineTo() && QPointF(e) == QPointF(path.elementAt(start))) {
            continue;
        }
        open.lineTo(e);
    }
    return open;
}

// Every drawn shape, built once, indexed by its character (all are ASCII).
struct ShapeTable {
    std::array<GlyphShape, 128> shapes;
    std::array<bool, 128> present{};

    ShapeTable() {
        const auto add = [&](char32_t c, GlyphShape shape) {
            shape.path = WithoutClosingPoints(shape.path);
            shapes[c] = shape;
            present[c] = true;
        };
        for (const char32_t c : kSegmentChars) {
            add(c, SegmentGlyph(c));
        }
        for (const char32_t c : kSymbolChars) {
            add(c, SymbolGlyph(c));
        }
    }
};

}  // namespace

const GlyphShape* ShapeFor(char32_t c) {
    static const ShapeTable table;
    return c < table.shapes.size() && table.present[c] ? &table.shapes[c] : nullptr;
}

}  // namespace varlo::app::glyph
