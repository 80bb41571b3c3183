#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>
#include <string>

namespace varlo::app {

// The ink of the display replica: dark on the white panel.
inline const QColor kLcdInk{20, 20, 20};

// One text element of the display replica: a digit or an annunciator, its
// caption spelled in the LCD glyph convention and drawn with the glyphs.
// Transparent: the panel shows through around the glyph.
class LcdGlyphLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ Text WRITE SetText)

  public:
    // `glyphBox` is where the glyph's line box goes, in the element's own
    // coordinates; an empty box means the whole element.
    LcdGlyphLabel(const QString& text, qreal pixelHeight, const QRectF& glyphBox,
                  Qt::Alignment align, QWidget* parent = nullptr);

    QString Text() const { return text_; }
    // Repaints only when the text changes.
    void SetText(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    std::string utf8_;
    qreal pixelHeight_;
    QRectF glyphBox_;
    Qt::Alignment align_;
};

}  // namespace varlo::app
