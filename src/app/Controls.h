#pragma once

#include <QCheckBox>
#include <QColor>
#include <QFrame>
#include <QPlainTextEdit>
#include <QString>
#include <QWidget>

#include "app/Icons.h"

namespace varlo::app {

// A panel: a bevelled container that may show a caption in its middle.
class CaptionPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
  public:
    explicit CaptionPanel(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

// A panel used as a button: a click with the left button runs `clicked`.
class ClickPanel : public CaptionPanel {
    Q_OBJECT
  public:
    explicit ClickPanel(QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

// A picture; a click on it runs `clicked`.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(Picture picture, QWidget* parent = nullptr);

    Picture picture() const { return picture_; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    Picture picture_;
    bool pressed_ = false;
};

// A check box whose caption may hold a run of blanks that another control
// covers: the text after the run is drawn from a given left edge, so that
// the caption reads around the covering control whatever the font.
class CheckBox : public QCheckBox {
    Q_OBJECT
  public:
    explicit CheckBox(const QString& text, QWidget* parent = nullptr);

    // Draws the text after the caption's run of blanks from `left` (in the
    // box's coordinates); a negative left draws the caption as it is.
    void SetTailLeft(int left);
    int TailLeft() const { return tailLeft_; }
    // The caption before and after its run of blanks.
    QString Head() const;
    QString Tail() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int tailLeft_ = -1;
};

// A filled circle with a thin outline.
class CircleShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)
  public:
    explicit CircleShape(QWidget* parent = nullptr);

    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& colour);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor brush_;
};

// A read-only memo of trace lines; its text is its Qt property `text`.
class MemoBox : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString text READ toPlainText WRITE setPlainText)
  public:
    explicit MemoBox(QWidget* parent = nullptr);
};

}  // namespace varlo::app
