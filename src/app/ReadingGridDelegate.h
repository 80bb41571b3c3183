#pragma once

#include <QStyledItemDelegate>

namespace varlo::app {

// Paints the cells of the reading grid: the style's background, selection
// and focus, then the text two pixels in from the cell's edges, cut off at
// the edge rather than shortened with an ellipsis. The Unit column is drawn
// with the meter display's glyphs, so its texts show as unit symbols.
class ReadingGridDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    static constexpr int kPadding = 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The rectangle a cell's text is drawn in.
    static QRectF TextRect(const QRect& cell);
    // The height of the glyphs of the Unit column for a cell font.
    static qreal GlyphPixelHeight(const QFont& font);
};

}  // namespace varlo::app
