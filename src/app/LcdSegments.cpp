// Seven-segment figures, as the meter's display draws its digits.
#include <QPolygonF>
#include <array>
#include <cstdint>

#include "app/LcdGlyphShapes.h"

namespace varlo::app::glyph {

namespace {

// The digit cell and its ink.
constexpr qreal kDigitAdvance = 0.42;
constexpr qreal kLeft = 0.02;
constexpr qreal kRight = 0.38;
constexpr qreal kThick = 0.08;
constexpr qreal kGap = 0.012;

// Segment bits: a top, b upper right, c lower right, d bottom, e lower left,
// f upper left, g middle.
enum Segment : std::uint8_t { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };

std::uint8_t SegmentsOf(char32_t c) {
    constexpr std::array<std::uint8_t, 10> kDigits = {
        A | B | C | D | E | F, B | C,         A | B | D | E | G,
        A | B | C | D | G,     B | C | F | G, A | C | D | F | G,
        A | C | D | E | F | G, A | B | C,     A | B | C | D | E | F | G,
        A | B | C | D | F | G};
    if (c >= U'0' && c <= U'9') {
        return kDigits[c - U'0'];
    }
    return c == U'@' ? D | E | F : 0;
}

// A segment along the centre line from (x0, y0) to (x1, y1), horizontal or
// vertical, with pointed ends and a small gap to its neighbours.
QPolygonF SegmentShape(qreal x0, qreal y0, qreal x1, qreal y1) {
    const qreal h = kThick / 2;
    if (y0 == y1) {
        x0 += kGap;
        x1 -= kGap;
        return QPolygonF({{x0, y0},
                          {x0 + h, y0 - h},
                          {x1 - h, y0 - h},
                          {x1, y0},
                          {x1 - h, y0 + h},
                          {x0 + h, y0 + h}});
    }
    y0 += kGap;
    y1 -= kGap;
    return QPolygonF({{x0, y0},
                      {x0 + h, y0 + h},
                      {x0 + h, y1 - h},
                      {x0, y1},
                      {x0 - h, y1 - h},
                      {x0 - h, y0 + h}});
}

QPainterPath DigitPath(std::uint8_t segments) {
    const qreal left = kLeft + kThick / 2;
    const qreal right = kRight - kThick / 2;
    const qreal top = kCapTop + kThick / 2;
    const qreal bottom = kBaseline - kThick / 2;
    const qreal middle = kMiddle;
    QPainterPath path;
    const auto add = [&](Segment s, qreal x0, qreal y0, qreal x1, qreal y1) {
        if (segments & s) {
            path.addPolygon(SegmentShape(x0, y0, x1, y1));
            path.closeSubpath();
        }
    };
    add(A, left, top, right, top);
    add(B, right, top, right, middle);
    add(C, right, middle, right, bottom);
    add(D, left, bottom, right, bottom);
    add(E, left, middle, left, bottom);
    add(F, left, top, left, middle);
    add(G, left, middle, right, middle);
    path.setFillRule(Qt::WindingFill);
    return path;
}

}  // namespace

GlyphShape SegmentGlyph(char32_t c) {
    if (c == U'-') {
        // The minus sign is a middle segment in a narrower cell.
        QPainterPath path;
        path.addPolygon(SegmentShape(0.02, kMiddle, 0.26, kMiddle));
        path.closeSubpath();
        return {path, 0.28};
    }
    if (c == U'.') {
        QPainterPath path;
        path.addRect(0.02, kBaseline - kThick, kThick, kThick);
        return {path, 0.12};
    }
    return {DigitPath(SegmentsOf(c)), kDigitAdvance};
}

}  // namespace varlo::app::glyph
