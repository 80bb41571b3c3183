#include "app/LcdGlyphLabel.h"

#include <QPainter>

#include "app/Glyphs.h"

namespace varlo::app {

LcdGlyphLabel::LcdGlyphLabel(const QString& text, qreal pixelHeight, const QRectF& glyphBox,
                             Qt::Alignment align, QWidget* parent)
    : QWidget(parent),
      text_(text),
      utf8_(text.toStdString()),
      pixelHeight_(pixelHeight),
      glyphBox_(glyphBox),
      align_(align) {}

void LcdGlyphLabel::SetText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    utf8_ = text.toStdString();
    update();
}

void LcdGlyphLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRectF box = glyphBox_.isEmpty() ? QRectF(rect()) : glyphBox_;
    DrawGlyphText(painter, box, utf8_, pixelHeight_, align_, kLcdInk);
}

}  // namespace varlo::app
