#include "ScrollBarDrag.h"

#include <QEventLoop>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

namespace varlo::load {

namespace {

// What the style needs to place the thumb: QScrollBar's own
// initStyleOption is not public.
QStyleOptionSlider SliderOption(const QScrollBar& bar) {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.upsideDown = bar.invertedAppearance();
    if (bar.orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    return option;
}

QRect SubControl(const QScrollBar& bar, QStyle::SubControl part) {
    const QStyleOptionSlider option = SliderOption(bar);
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, part, &bar);
}

}  // namespace

void DragThumbToEnd(QScrollBar& bar, int steps, std::chrono::milliseconds interval) {
    const QRect thumb = SubControl(bar, QStyle::SC_ScrollBarSlider);
    const QRect groove = SubControl(bar, QStyle::SC_ScrollBarGroove);
    const QPoint from = thumb.center();
    const QPoint to = bar.orientation() == Qt::Vertical
                          ? QPoint(from.x(), groove.bottom() + thumb.height())
                          : QPoint(groove.right() + thumb.width(), from.y());
    QTest::mousePress(&bar, Qt::LeftButton, {}, from);

    QEventLoop loop;
    QTimer mover;
    mover.setInterval(interval);
    int step = 0;
    QObject::connect(&mover, &QTimer::timeout, &loop, [&] {
        ++step;
        QTest::mouseMove(&bar, from + (to - from) * step / steps);
        if (step == steps) loop.quit();
    });
    mover.start();
    loop.exec();
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, to);
}

}  // namespace varlo::load
