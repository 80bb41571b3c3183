#pragma once

#include <QFrame>
#include <vector>

#include "decode/LcdPanel.h"

class QProgressBar;

namespace varlo::app {

class LcdGlyphLabel;

// The on-screen replica of the meter's display, `Panel1`: a white panel with
// a lowered bevel whose every element (digits, points, minus sign,
// annunciators, pictures, the bar graph `PBar2`) is a child widget named as
// the display element it shows. It starts as the form shows it; ShowPanel
// makes it show a decoded display state.
class LcdReplica : public QFrame {
    Q_OBJECT

  public:
    explicit LcdReplica(QWidget* parent = nullptr);

    // Shows `panel`: digit captions and visibility, every lit flag, the bar's
    // maximum and position. Only the elements that changed are repainted.
    void ShowPanel(const LcdPanel& panel);

  private:
    struct Element {
        QWidget* widget;
        LcdFlag flag;          // Count for a digit
        int digit;             // -1 for a flag element
        LcdGlyphLabel* label;  // the digit's label, else nullptr
    };

    std::vector<Element> elements_;
    QProgressBar* bar_;
    QWidget* dc_ = nullptr;
    QPoint dcHome_;
};

}  // namespace varlo::app
