#include "app/Controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <utility>

namespace varlo::app {

CaptionPanel::CaptionPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
}

void CaptionPanel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void CaptionPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (text_.isEmpty()) return;
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignCenter, text_);
}

ClickPanel::ClickPanel(QWidget* parent) : CaptionPanel(parent) {
    setCursor(Qt::PointingHandCursor);
}

void ClickPanel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) emit clicked();
}

PictureBox::PictureBox(Picture picture, QWidget* parent) : QWidget(parent), picture_(picture) {}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintPicture(painter, rect(), picture_, isEnabled());
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) emit clicked();
}

namespace {

// Where the caption's run of two or more blanks starts and ends, or -1.
std::pair<qsizetype, qsizetype> BlankRun(const QString& text) {
    const qsizetype from = text.indexOf(QStringLiteral("  "));
    if (from < 0) return {-1, -1};
    qsizetype to = from;
    while (to < text.size() && text.at(to) == QLatin1Char(' ')) ++to;
    return {from, to};
}

}  // namespace

CheckBox::CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void CheckBox::SetTailLeft(int left) {
    tailLeft_ = left;
    update();
}

QString CheckBox::Head() const {
    const auto [from, to] = BlankRun(text());
    return from < 0 ? text() : text().left(from);
}

QString CheckBox::Tail() const {
    const auto [from, to] = BlankRun(text());
    return from < 0 ? QString() : text().mid(to);
}

void CheckBox::paintEvent(QPaintEvent* event) {
    if (tailLeft_ < 0 || BlankRun(text()).first < 0) {
        QCheckBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = Head();
    painter.drawControl(QStyle::CE_CheckBox, option);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(QRect(tailLeft_, 0, width() - tailLeft_, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, Tail());
}

CircleShape::CircleShape(QWidget* parent) : QWidget(parent), brush_(Qt::white) {}

void CircleShape::setBrushColor(const QColor& colour) {
    if (colour == brush_) return;
    brush_ = colour;
    update();
}

void CircleShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brush_);
    const qreal side = std::min(width(), height()) - 1.0;
    painter.drawEllipse(QRectF((width() - side) / 2, (height() - side) / 2, side, side));
}

MemoBox::MemoBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Tab moves on to the next control, as in the other edits.
    setTabChangesFocus(true);
}

}  // namespace varlo::app
