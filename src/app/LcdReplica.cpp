#include "app/LcdReplica.h"

#include <QProgressBar>

#include "app/LcdGlyphLabel.h"
#include "app/LcdLayout.h"
#include "app/LcdShape.h"

namespace varlo::app {

namespace {

void SetShown(QWidget* widget, bool shown) {
    if (widget->isHidden() == shown) {
        widget->setVisible(shown);
    }
}

QProgressBar* MakeBar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("PBar2"));
    bar->setGeometry(kLcdBarBounds);
    bar->setTextVisible(false);
    bar->setRange(0, kLcdBarFormMaximum);
    bar->setValue(kLcdBarFormPosition);
    // A bar graph of dark segments, as on the meter's display.
    bar->setStyleSheet(QStringLiteral(
        "QProgressBar { border: 1px solid #9a9a9a; background: white; padding: 2px; }"
        "QProgressBar::chunk { background: #141414; width: 5px; margin-right: 2px; }"));
    return bar;
}

}  // namespace

LcdReplica::LcdReplica(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel1"));
    setFixedSize(kLcdPanelSize);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    for (const LcdElementRow& element : LcdElements()) {
        QWidget* widget = nullptr;
        LcdGlyphLabel* label = nullptr;
        if (element.kind == LcdElementKind::Digit || element.kind == LcdElementKind::Glyph) {
            label = new LcdGlyphLabel(QString::fromUtf8(element.caption), element.textHeight,
                                      element.glyphBox, element.align, this);
            widget = label;
        } else {
            widget = new LcdShape(element.kind, element.picture, this);
        }
        widget->setObjectName(QString::fromUtf8(element.name));
        widget->setGeometry(element.bounds);
        // The digits are shown at start; every other element waits for a frame.
        widget->setVisible(element.kind == LcdElementKind::Digit);
        const bool digit = element.kind == LcdElementKind::Digit;
        elements_.push_back({widget, element.flag, element.digit, digit ? label : nullptr});
        if (element.flag == LcdFlag::LcdDc1) {
            dc_ = widget;
            dcHome_ = element.bounds.topLeft();
        }
    }
    bar_ = MakeBar(this);
}

void LcdReplica::ShowPanel(const LcdPanel& panel) {
    for (const Element& element : elements_) {
        if (element.label) {
            const LcdDigit& digit = panel.Digits[static_cast<std::size_t>(element.digit)];
            element.label->SetText(QString::fromStdString(digit.Caption));
            SetShown(element.widget, digit.Visible);
        } else {
            SetShown(element.widget, panel.Lit(element.flag));
        }
    }
    // "AC" and "DC" share one place; when a frame lights both, "DC" stands
    // above "AC" so that neither is drawn over the other.
    const bool both = panel.Lit(LcdFlag::LcdAC) && panel.Lit(LcdFlag::LcdDc1);
    const QPoint dcPlace = both ? kLcdDcAboveAc : dcHome_;
    if (dc_->pos() != dcPlace) {
        dc_->move(dcPlace);
    }
    if (bar_->maximum() != panel.BarMax()) {
        bar_->setMaximum(panel.BarMax());
    }
    if (bar_->value() != panel.BarPosition()) {
        // A progress bar repaints the window at once on each new value; the
        // bar moves with nearly every frame, so its paint waits for the
        // window's next one, with the rest of the display.
        bar_->setUpdatesEnabled(false);
        bar_->setValue(panel.BarPosition());
        bar_->setUpdatesEnabled(true);
    }
}

}  // namespace varlo::app
