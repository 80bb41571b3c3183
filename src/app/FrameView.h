#pragma once

#include <QColor>
#include <cstdint>

#include "followup/MeterSession.h"

class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace varlo::app {

class ChartView;
class CircleShape;
class LcdReplica;
class MemoBox;

// What a decoded frame changes in the main window: the display replica, the
// reading and its judgement, the extremes, the link indicator, the trace
// memos, the chart, and the mark of a record limit that stops recording. It
// shows the session's state as it stands and repaints only what differs
// from what is shown; nothing is decoded or parsed here.
class FrameView {
  public:
    // Finds its widgets among the window's children by name.
    explicit FrameView(QWidget& window);

    // After a frame notice.
    void Show(const MeterSession& session);
    // The texts the session writes: the reading, its judgement, the extremes
    // and the page number. At start the display replica keeps the form's
    // look until the first frame.
    void ShowDisplay(const MeterSession& session);
    // The record limit's mark and the page button's hint: shown while the
    // limit stops recording.
    void ShowRecordLimit(const MeterSession& session);
    // The page number on Bt10, and the chart's page.
    void ShowPageNo(const MeterSession& session);
    // The chart, after a chart operation.
    void ShowChart();

  private:
    void ShowJudge(const SessionDisplay& display);
    void ShowTraces(const TraceSinks& traces);

    LcdReplica& lcd_;
    ChartView& chart_;
    QLineEdit& value_;
    QLabel& judge_;
    CircleShape& shape_;
    QLabel& maxText_;
    QLabel& minText_;
    QLabel& maxTextU_;
    QLabel& minTextU_;
    QWidget& conOk_;
    QWidget& conOkN_;
    MemoBox& memo1_;
    MemoBox& memo2_;
    QLabel& usbTxt_;
    QLabel& limitMark_;
    QToolButton& pageNo_;

    const QColor valueBase_;    // the reading box's colour before any judgement
    const QColor circleBrush_;  // the circle's
    const QString pageNoHint_;
    JudgeColour judgeShown_ = JudgeColour::None;
    std::uint64_t memo1Shown_ = 0;  // trace lines shown (the sinks' totals)
    std::uint64_t memo2Shown_ = 0;
    std::int32_t limitShown_ = 0;  // the limit the mark names, 0 while hidden
};

}  // namespace varlo::app
