#include "app/LcdGlyphShapes.h"

#include <array>
#include <string_view>

namespace varlo::app::glyph {

namespace {

constexpr std::u32string_view kSegmentChars = U"0123456789@-.";
constexpr std::u32string_view kSymbolChars = U"*+)&?$\"";

// Every drawn shape, built once, indexed by its character (all are ASCII).
struct ShapeTable {
    std::array<GlyphShape, 128> shapes;
    std::array<bool, 128> present{};

    ShapeTable() {
        for (const char32_t c : kSegmentChars) {
            shapes[c] = SegmentGlyph(c);
            present[c] = true;
        }
        for (const char32_t c : kSymbolChars) {
            shapes[c] = SymbolGlyph(c);
            present[c] = true;
        }
    }
};

}  // namespace

const GlyphShape* ShapeFor(char32_t c) {
    static const ShapeTable table;
    return c < table.shapes.size() && table.present[c] ? &table.shapes[c] : nullptr;
}

}  // namespace varlo::app::glyph
