// The meter's symbols of the glyph convention, drawn as filled outlines so
// that they scale like the rest of the face.
#include <QPainterPathStroker>

#include "app/LcdGlyphShapes.h"

namespace varlo::app::glyph {

namespace {

constexpr qreal kStroke = 0.09;

QPainterPath Stroked(const QPainterPath& centreLine, qreal width,
                     Qt::PenCapStyle cap = Qt::FlatCap) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::MiterJoin);
    return stroker.createStroke(centreLine);
}

// Ohm: a horseshoe on two feet.
GlyphShape Ohm() {
    const qreal cx = 0.35;
    const qreal cy = 0.44;
    const qreal r = 0.25;
    const qreal foot = kBaseline - kStroke / 2;
    QPainterPath line;
    line.moveTo(0.66, foot);
    line.lineTo(0.46, foot);
    line.lineTo(0.475, 0.66);
    line.arcTo(QRectF(cx - r, cy - r, 2 * r, 2 * r), -60, 300);
    line.lineTo(0.24, foot);
    line.lineTo(0.04, foot);
    return {Stroked(line, kStroke).simplified(), 0.70};
}

// Micro: a u with a descender on its left stem.
GlyphShape Micro() {
    const qreal xHeight = 0.34;
    QPainterPath line;
    line.moveTo(0.10, xHeight);
    line.lineTo(0.10, 1.0);
    line.moveTo(0.10, 0.58);
    line.cubicTo(0.10, 0.88, 0.40, 0.88, 0.40, 0.58);
    line.moveTo(0.40, xHeight);
    line.lineTo(0.40, kBaseline);
    return {Stroked(line, kStroke).simplified(), 0.52};
}

// Diode: a lead through a triangle pointing at a bar.
GlyphShape Diode() {
    QPainterPath lead;
    lead.moveTo(0.04, kMiddle);
    lead.lineTo(0.96, kMiddle);
    QPainterPath path = Stroked(lead, 0.06);
    QPainterPath body;
    body.addPolygon(QPolygonF({{0.32, 0.22}, {0.32, 0.76}, {0.62, kMiddle}}));
    body.closeSubpath();
    body.addRect(0.62, 0.22, 0.07, 0.54);
    return {path.united(body).simplified(), 1.0};
}

// Continuity: a loudspeaker sending sound waves.
GlyphShape Continuity() {
    QPainterPath speaker;
    speaker.addRect(0.04, 0.39, 0.13, 0.20);
    speaker.addPolygon(QPolygonF({{0.16, 0.39}, {0.33, 0.22}, {0.33, 0.76}, {0.16, 0.59}}));
    speaker.closeSubpath();
    QPainterPath waves;
    for (const qreal r : {0.15, 0.27, 0.39}) {
        const QRectF box(0.33 - r, kMiddle - r, 2 * r, 2 * r);
        waves.arcMoveTo(box, -40);
        waves.arcTo(box, -40, 80);
    }
    return {speaker.united(Stroked(waves, 0.06, Qt::RoundCap)).simplified(), 0.80};
}

// Temperature: a degree sign beside a thermometer, its tube drawn in
// outline with the column rising from the bulb.
GlyphShape Temperature() {
    QPainterPath degree;
    degree.addEllipse(QPointF(0.12, 0.22), 0.065, 0.065);
    QPainterPath glass;
    glass.addRoundedRect(QRectF(0.37, kCapTop + 0.03, 0.16, 0.56), 0.08, 0.08);
    glass = glass.united([] {
        QPainterPath bulb;
        bulb.addEllipse(QPointF(0.45, 0.73), 0.12, 0.12);
        return bulb;
    }());
    QPainterPath column;
    column.addRect(0.425, 0.36, 0.05, 0.36);
    column.addEllipse(QPointF(0.45, 0.73), 0.065, 0.065);
    return {Stroked(degree, 0.05).united(Stroked(glass, 0.05)).united(column).simplified(), 0.66};
}

// Battery: an upright cell with its terminal on top and a low charge.
GlyphShape Battery() {
    QPainterPath body;
    body.addRect(0.06, 0.20, 0.24, 0.63);
    QPainterPath path = Stroked(body, 0.05);
    QPainterPath fill;
    fill.addRect(0.12, kCapTop, 0.12, 0.07);
    fill.addRect(0.11, 0.66, 0.14, 0.13);
    return {path.united(fill).simplified(), 0.36};
}

// HOLD: a framed H.
GlyphShape Hold() {
    QPainterPath frame;
    frame.addRect(0.055, kCapTop + 0.025, 0.45, 0.67);
    QPainterPath h;
    h.moveTo(0.17, 0.28);
    h.lineTo(0.17, 0.70);
    h.moveTo(0.39, 0.28);
    h.lineTo(0.39, 0.70);
    h.moveTo(0.17, kMiddle);
    h.lineTo(0.39, kMiddle);
    return {Stroked(frame, 0.05).united(Stroked(h, 0.075)).simplified(), 0.56};
}

}  // namespace

GlyphShape SymbolGlyph(char32_t c) {
    switch (c) {
        case U'*':
            return Ohm();
        case U'+':
            return Micro();
        case U')':
            return Diode();
        case U'&':
            return Continuity();
        case U'?':
            return Temperature();
        case U'$':
            return Battery();
        case U'"':
            return Hold();
        default:
            return {};
    }
}

}  // namespace varlo::app::glyph
