#include "app/ReadingGridDelegate.h"

#include <QApplication>
#include <QFontInfo>
#include <QPainter>

#include "app/Glyphs.h"
#include "app/ReadingGridColumns.h"

namespace varlo::app {

QRectF ReadingGridDelegate::TextRect(const QRect& cell) {
    return QRectF(cell).adjusted(kPadding, 0, -kPadding, 0);
}

qreal ReadingGridDelegate::GlyphPixelHeight(const QFont& font) {
    return QFontInfo(font).pixelSize();
}

void ReadingGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const QPalette::ColorGroup group = !(cell.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (cell.state & QStyle::State_Active) ? QPalette::Active
                                                                             : QPalette::Inactive;
    const QColor colour = cell.palette.color(
        group, cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
    const QRectF rect = TextRect(cell.rect);
    painter->save();
    painter->setClipRect(cell.rect);
    if (index.column() == kUnitGridColumn) {
        const QByteArray utf8 = text.toUtf8();
        DrawGlyphText(*painter, rect, std::string_view(utf8.constData(), utf8.size()),
                      GlyphPixelHeight(cell.font), cell.displayAlignment, colour);
    } else {
        painter->setFont(cell.font);
        painter->setPen(colour);
        painter->drawText(rect, static_cast<int>(cell.displayAlignment) | Qt::TextSingleLine, text);
    }
    painter->restore();
}

}  // namespace varlo::app
