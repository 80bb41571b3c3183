#pragma once

#include <QTimer>

#include "common/Timer.h"

namespace varlo {

// The Timer interface over a QTimer: ticks arrive through the Qt event
// loop of the thread that created it. Ticks that fall due while a handler
// still runs are merged, not queued.
class QtTimer : public Timer {
  public:
    QtTimer();

    void start(int intervalMs) override;
    void stop() override;
    bool active() const override;

  private:
    QTimer timer_;
};

}  // namespace varlo
