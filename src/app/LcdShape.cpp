#include "app/LcdShape.h"

#include <QPainter>
#include <QPainterPath>

#include "app/Glyphs.h"
#include "app/LcdGlyphLabel.h"

namespace varlo::app {

namespace {

// Data received: an arrow running into a computer screen.
void PaintDataReceived(QPainter& painter, const QRectF& r) {
    const qreal u = std::min(r.width() / 36, r.height() / 29);
    painter.translate(r.center() - QPointF(18 * u, 14.5 * u));
    painter.scale(u, u);
    QPainterPath screen;
    screen.addRoundedRect(QRectF(15, 4, 19, 14), 1.5, 1.5);
    painter.setPen(QPen(kLcdInk, 2.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(screen);
    painter.fillRect(QRectF(23.5, 18, 2, 4), kLcdInk);
    painter.fillRect(QRectF(19, 22, 11, 2.2), kLcdInk);
    QPainterPath arrow;
    arrow.moveTo(2, 9.8);
    arrow.lineTo(9, 9.8);
    arrow.lineTo(9, 6.5);
    arrow.lineTo(14, 11);
    arrow.lineTo(9, 15.5);
    arrow.lineTo(9, 12.2);
    arrow.lineTo(2, 12.2);
    arrow.closeSubpath();
    painter.fillPath(arrow, kLcdInk);
}

}  // namespace

LcdShape::LcdShape(LcdElementKind kind, LcdPicture picture, QWidget* parent)
    : QWidget(parent), kind_(kind), picture_(picture) {}

void LcdShape::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    if (kind_ == LcdElementKind::Point) {
        painter.fillRect(r, kLcdInk);
        return;
    }
    switch (picture_) {
        case LcdPicture::DataReceived:
            PaintDataReceived(painter, r);
            break;
        case LcdPicture::Relative:
            DrawGlyphText(painter, r, "REL", 14, Qt::AlignCenter, kLcdInk);
            break;
        case LcdPicture::ElectricField:
            DrawGlyphText(painter, r, "EF", 16, Qt::AlignCenter, kLcdInk);
            break;
        case LcdPicture::None:
            break;
    }
}

}  // namespace varlo::app
