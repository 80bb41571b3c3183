#include "app/FrameView.h"

#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTextCursor>
#include <QToolButton>
#include <stdexcept>
#include <string>

#include "app/ChartView.h"
#include "app/Controls.h"
#include "app/LcdReplica.h"

namespace varlo::app {

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

template <class T>
T& Find(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QLatin1String(name));
    if (widget == nullptr) throw std::logic_error(std::string("no control ") + name);
    return *widget;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void SetText(QLabel& label, const QString& text) {
    if (label.text() != text) label.setText(text);
}

void SetText(QLineEdit& edit, const QString& text) {
    if (edit.text() != text) edit.setText(text);
}

void SetShown(QWidget& widget, bool shown) {
    if (widget.isHidden() == shown) widget.setVisible(shown);
}

// A widget the user can see some of: shown, and not wholly outside the
// window (the trace memos lie below its edge).
bool InSight(const QWidget& widget) {
    if (!widget.isVisible()) return false;
    const QWidget& window = *widget.window();
    return window.rect().intersects(QRect(widget.mapTo(&window, QPoint(0, 0)), widget.size()));
}

void ShowLines(MemoBox& memo, const LineSink& sink, std::uint64_t& shown) {
    if (!InSight(memo) || sink.TotalAdded() == shown) return;
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(sink.LineCount()));
    for (std::size_t i = 0; i < sink.LineCount(); ++i) lines << Text(sink.Line(i));
    memo.setPlainText(lines.join(QLatin1Char('\n')));
    memo.moveCursor(QTextCursor::End);  // the newest line in sight
    shown = sink.TotalAdded();
}

QString LimitText(std::int32_t limit) {
    return QStringLiteral(
               "Recording stopped: the record limit of %1 readings is reached. "
               "Clear the log (Record, New) or choose a higher limit in the Record "
               "menu.")
        .arg(limit);
}

}  // namespace

FrameView::FrameView(QWidget& window)
    : lcd_(Find<LcdReplica>(window, "Panel1")),
      chart_(Find<ChartView>(window, "Chtshow")),
      value_(Find<QLineEdit>(window, "T1VALUE")),
      judge_(Find<QLabel>(window, "judge")),
      shape_(Find<CircleShape>(window, "Shape1")),
      maxText_(Find<QLabel>(window, "MaxText")),
      minText_(Find<QLabel>(window, "MinText")),
      maxTextU_(Find<QLabel>(window, "MaxTextU")),
      minTextU_(Find<QLabel>(window, "MinTextU")),
      conOk_(Find<QWidget>(window, "CONok")),
      conOkN_(Find<QWidget>(window, "CONokN")),
      memo1_(Find<MemoBox>(window, "Memo1")),
      memo2_(Find<MemoBox>(window, "Memo2")),
      usbTxt_(Find<QLabel>(window, "USBtxt")),
      limitMark_(Find<QLabel>(window, "LimitMark")),
      pageNo_(Find<QToolButton>(window, "Bt10")),
      valueBase_(value_.palette().color(QPalette::Base)),
      circleBrush_(shape_.brushColor()),
      pageNoHint_(pageNo_.toolTip()) {}

void FrameView::Show(const MeterSession& session) {
    lcd_.ShowPanel(session.Panel());
    ShowDisplay(session);
    // The units of the extremes: the form's until the first frame.
    SetText(maxTextU_, Text(session.Display().MaxTextUCaption));
    SetText(minTextU_, Text(session.Display().MinTextUCaption));
    SetShown(conOk_, session.Link().CONokVisible);
    SetShown(conOkN_, session.Link().CONokNVisible);
    ShowTraces(session.Traces());
}

void FrameView::ShowDisplay(const MeterSession& session) {
    const SessionDisplay& display = session.Display();
    SetText(value_, Text(display.T1VALUEText));
    ShowJudge(display);
    SetText(maxText_, Text(display.MaxTextCaption));
    SetText(minText_, Text(display.MinTextCaption));
    ShowPageNo(session);
}

void FrameView::ShowJudge(const SessionDisplay& display) {
    SetText(judge_, Text(display.judgeCaption));
    if (display.judgeColour == judgeShown_) return;
    judgeShown_ = display.judgeColour;
    const QColor colour = judgeShown_ == JudgeColour::Green ? kGreen
                          : judgeShown_ == JudgeColour::Red ? kRed
                                                            : QColor();
    shape_.setBrushColor(colour.isValid() ? colour : circleBrush_);
    QPalette palette = value_.palette();
    palette.setColor(QPalette::Base, colour.isValid() ? colour : valueBase_);
    value_.setPalette(palette);
}

void FrameView::ShowTraces(const TraceSinks& traces) {
    ShowLines(memo1_, traces.Memo1, memo1Shown_);
    ShowLines(memo2_, traces.Memo2, memo2Shown_);
    if (InSight(usbTxt_)) SetText(usbTxt_, Text(traces.USBtxt.Text()));
}

void FrameView::ShowPageNo(const MeterSession& session) {
    const QString caption = Text(session.Display().Bt10Caption);
    if (pageNo_.text() != caption) pageNo_.setText(caption);
    ShowChart();
    ShowRecordLimit(session);
}

void FrameView::ShowChart() {
    chart_.Refresh();
}

void FrameView::ShowRecordLimit(const MeterSession& session) {
    const std::int32_t limit = session.RecordLimitReached() ? session.Recording().RecordLimit : 0;
    if (limit == limitShown_) return;
    limitShown_ = limit;
    SetShown(limitMark_, limit != 0);
    if (limit == 0) {
        pageNo_.setToolTip(pageNoHint_);
        return;
    }
    limitMark_.setToolTip(LimitText(limit));
    pageNo_.setToolTip(pageNoHint_ + QStringLiteral("\n") + LimitText(limit));
}

}  // namespace varlo::app
