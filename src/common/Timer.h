#pragma once

#include <functional>
#include <utility>

namespace varlo {

// A periodic timer whose ticks run on the thread that owns it (the GUI
// thread in the program). Logic that is tested without Qt takes this
// interface; the program hands it a QTimer-based one, tests a ManualTimer.
class Timer {
  public:
    virtual ~Timer() = default;

    // Starts (or restarts) ticking every intervalMs milliseconds.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool active() const = 0;

    // What runs at every tick.
    void setTimeout(std::function<void()> onTimeout) { onTimeout_ = std::move(onTimeout); }

  protected:
    void fire() {
        if (onTimeout_) onTimeout_();
    }

  private:
    std::function<void()> onTimeout_;
};

// A timer that ticks only when the test says so.
class ManualTimer : public Timer {
  public:
    void start(int intervalMs) override {
        active_ = true;
        interval_ = intervalMs;
        ++starts_;
    }
    void stop() override {
        active_ = false;
        ++stops_;
    }
    bool active() const override { return active_; }

    // One tick, delivered only while the timer runs.
    void tick() {
        if (active_) fire();
    }

    int interval() const { return interval_; }
    int starts() const { return starts_; }
    int stops() const { return stops_; }

  private:
    bool active_ = false;
    int interval_ = 0;
    int starts_ = 0;
    int stops_ = 0;
};

}  // namespace varlo
