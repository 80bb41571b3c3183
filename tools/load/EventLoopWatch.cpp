#include "EventLoopWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaEnum>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "ProcessCounters.h"

namespace varlo::load {

EventLoopWatch::EventLoopWatch(std::chrono::milliseconds period) : period_(period) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(period_);
    timer_.setObjectName(QStringLiteral("EventLoopWatch"));
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

EventLoopWatch::~EventLoopWatch() {
    Stop();
}

void EventLoopWatch::Start() {
    if (running_) return;
    running_ = true;
    QCoreApplication::instance()->installEventFilter(this);
    lastTick_ = currentStart_ = Clock::now();
    lastTickCpuMs_ = ThreadCpuMs();
    timer_.start();
}

void EventLoopWatch::Stop() {
    if (!running_) return;
    running_ = false;
    timer_.stop();
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void EventLoopWatch::Reset() {
    longestGapMs_ = longestGapCpuMs_ = longestCpuGapMs_ = 0;
    longestCulprit_.clear();
    overLimit_ = 0;
    lastTick_ = currentStart_ = Clock::now();
    lastTickCpuMs_ = ThreadCpuMs();
    gapCulpritTime_ = {};
}

bool EventLoopWatch::eventFilter(QObject* watched, QEvent* event) {
    const auto now = Clock::now();
    // The event before this one ran (with whatever it posted and sent) for
    // this long without another event being delivered.
    if (now - currentStart_ > gapCulpritTime_) {
        gapCulpritTime_ = now - currentStart_;
        gapCulprit_ = current_;
    }
    current_.className = watched->metaObject()->className();
    current_.objectName = watched->objectName();
    current_.type = static_cast<int>(event->type());
    currentStart_ = now;
    return false;
}

void EventLoopWatch::Tick() {
    const auto now = Clock::now();
    const double gapMs = std::chrono::duration<double, std::milli>(now - lastTick_).count();
    const double cpuMs = ThreadCpuMs();
    const double gapCpuMs = cpuMs - lastTickCpuMs_;
    lastTick_ = now;
    lastTickCpuMs_ = cpuMs;
    longestCpuGapMs_ = std::max(longestCpuGapMs_, gapCpuMs);
    ++ticks_;
    if (gapMs > limitMs_) ++overLimit_;
    if (gapMs > longestGapMs_) {
        longestGapMs_ = gapMs;
        longestGapCpuMs_ = gapCpuMs;
        char held[32];
        std::snprintf(held, sizeof held, " (%.1f ms)",
                      std::chrono::duration<double, std::milli>(gapCulpritTime_).count());
        longestCulprit_ = Describe(gapCulprit_) + held;
    }
    gapCulpritTime_ = {};
    if (onTick_) onTick_();
}

std::string EventLoopWatch::Describe(const Delivery& delivery) {
    const QMetaEnum types = QMetaEnum::fromType<QEvent::Type>();
    const char* type = types.valueToKey(delivery.type);
    std::string text = delivery.className;
    if (!delivery.objectName.isEmpty()) text += " '" + delivery.objectName.toStdString() + "'";
    text += " ";
    text += type != nullptr ? type : std::to_string(delivery.type);
    return text;
}

}  // namespace varlo::load
