#include "app/Icons.h"

#include <QIconEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <algorithm>

namespace varlo::app {

namespace {

// Pictures are drawn on a 16 x 16 grid scaled into their rectangle.
constexpr qreal kGrid = 16.0;

struct Ink {
    QColor line;
    QColor fill;
    QColor accent;
    QColor good;
    QColor bad;
};

Ink InkFor(bool enabled) {
    if (!enabled) {
        const QColor grey(150, 150, 150);
        return {grey, QColor(225, 225, 225), grey, grey, grey};
    }
    return {QColor(30, 40, 60), QColor(245, 245, 240), QColor(0, 90, 180), QColor(20, 150, 60),
            QColor(200, 40, 40)};
}

void Triangle(QPainter& p, qreal tipX, qreal baseX, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({{baseX, 3.5}, {tipX, 8.0}, {baseX, 12.5}}));
}

void Bar(QPainter& p, qreal x, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(x, 3.5, 2.0, 9.0));
}

void Floppy(QPainter& p, const Ink& ink) {
    QPainterPath body;
    body.moveTo(2, 2);
    body.lineTo(12, 2);
    body.lineTo(14, 4);
    body.lineTo(14, 14);
    body.lineTo(2, 14);
    body.closeSubpath();
    p.setPen(QPen(ink.line, 0.8));
    p.setBrush(ink.accent);
    p.drawPath(body);
    p.setBrush(ink.fill);
    p.drawRect(QRectF(4.5, 2.5, 6.5, 4.0));  // shutter
    p.drawRect(QRectF(4.0, 9.0, 8.0, 4.5));  // label
    p.setBrush(ink.line);
    p.drawRect(QRectF(8.5, 3.2, 1.5, 2.6));
}

void CornerArrows(QPainter& p, const Ink& ink, bool outward) {
    p.setPen(QPen(ink.accent, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5.5, 5.5, 5.0, 5.0));
    // One arrow per corner: from near the centre to the corner, or back.
    const QPointF corners[] = {{2, 2}, {14, 2}, {14, 14}, {2, 14}};
    for (const QPointF& corner : corners) {
        const QPointF inner(corner.x() < 8 ? 5 : 11, corner.y() < 8 ? 5 : 11);
        const QPointF tip = outward ? corner : inner;
        const QPointF from = outward ? inner : corner;
        p.drawLine(from, tip);
        const qreal dx = from.x() < tip.x() ? -2.5 : 2.5;
        const qreal dy = from.y() < tip.y() ? -2.5 : 2.5;
        p.drawLine(tip, tip + QPointF(dx, 0));
        p.drawLine(tip, tip + QPointF(0, dy));
    }
}

void Sheet(QPainter& p, const Ink& ink) {
    QPainterPath page;
    page.moveTo(3, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(13, 4.5);
    page.lineTo(13, 14.5);
    page.lineTo(3, 14.5);
    page.closeSubpath();
    p.setPen(QPen(ink.line, 0.8));
    p.setBrush(ink.fill);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({{10, 1.5}, {10, 4.5}, {13, 4.5}}));
    p.setPen(QPen(ink.line, 0.6));
    for (qreal y = 6.5; y < 13; y += 2) p.drawLine(QPointF(5, y), QPointF(11, y));
    p.setPen(QPen(ink.bad, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.5, 8.5), QPointF(14, 15));
    p.drawLine(QPointF(14, 8.5), QPointF(6.5, 15));
}

void Folder(QPainter& p, const Ink& ink) {
    p.setPen(QPen(ink.line, 0.8));
    p.setBrush(QColor(230, 190, 80));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 215, 110));
    p.drawPolygon(QPolygonF({{3.5, 7.5}, {15, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
}

void Printer(QPainter& p, const Ink& ink) {
    p.setPen(QPen(ink.line, 0.8));
    p.setBrush(ink.fill);
    p.drawRect(QRectF(4.5, 1.5, 7, 4.5));  // paper in
    p.setBrush(QColor(170, 175, 185));
    p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1.2, 1.2);
    p.setBrush(ink.fill);
    p.drawRect(QRectF(4.5, 10, 7, 4.5));  // paper out
    p.setPen(QPen(ink.line, 0.6));
    p.drawLine(QPointF(6, 12), QPointF(10, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(ink.good);
    p.drawEllipse(QPointF(12.3, 8), 0.8, 0.8);
}

void Lamp(QPainter& p, const Ink& ink, bool alive) {
    p.setPen(QPen(ink.line, 0.8));
    p.setBrush(alive ? ink.good : QColor(170, 170, 170));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (alive) {
        p.drawPolyline(QPolygonF({{4.5, 8.5}, {7, 11}, {11.5, 5}}));
    } else {
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    }
}

class PictureEngine : public QIconEngine {
  public:
    explicit PictureEngine(Picture picture) : picture_(picture) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        PaintPicture(*painter, rect, picture_, mode != QIcon::Disabled);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new PictureEngine(picture_); }

  private:
    Picture picture_;
};

}  // namespace

void PaintPicture(QPainter& painter, const QRectF& rect, Picture picture, bool enabled) {
    if (picture == Picture::None || rect.isEmpty()) return;
    const Ink ink = InkFor(enabled);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(rect.width(), rect.height());
    painter.translate(rect.center() - QPointF(side / 2, side / 2));
    painter.scale(side / kGrid, side / kGrid);
    switch (picture) {
        case Picture::First:
            Bar(painter, 3, ink.accent);
            Triangle(painter, 5.5, 12.5, ink.accent);
            break;
        case Picture::Previous:
            Triangle(painter, 4.5, 11.5, ink.accent);
            break;
        case Picture::Next:
            Triangle(painter, 11.5, 4.5, ink.accent);
            break;
        case Picture::Last:
            Triangle(painter, 10.5, 3.5, ink.accent);
            Bar(painter, 11, ink.accent);
            break;
        case Picture::Save:
            Floppy(painter, ink);
            break;
        case Picture::Enlarge:
            CornerArrows(painter, ink, true);
            break;
        case Picture::Restore:
            CornerArrows(painter, ink, false);
            break;
        case Picture::NewRecord:
            Sheet(painter, ink);
            break;
        case Picture::Open:
            Folder(painter, ink);
            break;
        case Picture::Print:
            Printer(painter, ink);
            break;
        case Picture::LinkAlive:
            Lamp(painter, ink, true);
            break;
        case Picture::LinkIdle:
            Lamp(painter, ink, false);
            break;
        case Picture::None:
            break;
    }
    painter.restore();
}

QIcon PictureIcon(Picture picture) {
    return QIcon(new PictureEngine(picture));
}

}  // namespace varlo::app
