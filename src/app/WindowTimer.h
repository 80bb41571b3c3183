#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>

#include "common/Timer.h"

namespace varlo::app {

// A Timer over a QTimer that lives among the window's children under its
// name ("Timer2"), so that it can be found and watched like the window's
// other timers. The QTimer goes with this object, or with the window if that
// goes first.
class WindowTimer : public Timer {
  public:
    WindowTimer(QObject& window, const QString& name);
    ~WindowTimer() override;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    void start(int intervalMs) override;
    void stop() override;
    bool active() const override;

  private:
    QPointer<QTimer> timer_;
};

}  // namespace varlo::app
