#pragma once

#include <QString>
#include <QWidget>

#include "app/LcdLayout.h"

namespace varlo::app {

// An element of the display replica without a caption: a decimal point or
// one of the replica's pictures, drawn as vectors in the display's ink.
class LcdShape : public QWidget {
    Q_OBJECT
    // The shapes show no text; the property is there like on every element.
    Q_PROPERTY(QString text READ Text CONSTANT)

  public:
    LcdShape(LcdElementKind kind, LcdPicture picture, QWidget* parent = nullptr);

    QString Text() const { return {}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    LcdElementKind kind_;
    LcdPicture picture_;
};

}  // namespace varlo::app
