#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace varlo::load {

// Watches the GUI thread's event loop. A timer ticks every 10 ms; the time
// between two ticks is how long the loop could not serve an event, plus the
// period itself, so the longest gap is an upper bound on the longest time
// the window was frozen. An application-wide event filter notes each event
// as its delivery begins; within a gap, the event after which the filter
// stayed silent longest is the handler that held the loop, and the longest
// gap names it.
class EventLoopWatch : public QObject {
  public:
    using Clock = std::chrono::steady_clock;

    explicit EventLoopWatch(std::chrono::milliseconds period = std::chrono::milliseconds(10));
    ~EventLoopWatch() override;

    void Start();
    void Stop();
    // Forgets the gaps seen so far (the ticks go on).
    void Reset();

    // The longest gap between two ticks since the start or the last reset,
    // in milliseconds, and the event that held the loop then.
    double LongestGapMs() const { return longestGapMs_; }
    const std::string& LongestGapCulprit() const { return longestCulprit_; }
    // The GUI thread's CPU time within that gap: far below the gap when the
    // thread was kept waiting (the machine busy, the disk) rather than
    // working.
    double LongestGapCpuMs() const { return longestGapCpuMs_; }
    // The longest gap counted in the thread's CPU time: the most work done
    // in one stretch without serving an event, whatever else the machine did.
    double LongestCpuGapMs() const { return longestCpuGapMs_; }
    // Gaps longer than the limit (100 ms unless set), counted since the
    // start or the last reset.
    void SetLimitMs(double ms) { limitMs_ = ms; }
    double LimitMs() const { return limitMs_; }
    std::uint64_t GapsOverLimit() const { return overLimit_; }
    std::uint64_t Ticks() const { return ticks_; }

    // Runs on every tick, after the gap was taken: the harness samples the
    // window here.
    void SetOnTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Tick();

    // What is kept of an event as its delivery begins: the receiver may be
    // gone by the time the next event shows how long it took.
    struct Delivery {
        const char* className = "";
        QString objectName;
        int type = 0;
    };
    static std::string Describe(const Delivery& delivery);

    QTimer timer_;
    std::chrono::milliseconds period_;
    Clock::time_point lastTick_{};
    double lastTickCpuMs_ = 0;
    bool running_ = false;
    std::uint64_t ticks_ = 0;
    double longestGapMs_ = 0;
    double longestGapCpuMs_ = 0;
    double longestCpuGapMs_ = 0;
    std::string longestCulprit_;
    double limitMs_ = 100;
    std::uint64_t overLimit_ = 0;
    std::function<void()> onTick_;

    // The event being delivered and the longest silence within this gap.
    Delivery current_;
    Clock::time_point currentStart_{};
    Delivery gapCulprit_;
    Clock::duration gapCulpritTime_{};
};

}  // namespace varlo::load
