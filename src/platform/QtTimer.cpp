#include "platform/QtTimer.h"

namespace varlo {

QtTimer::QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
}

void QtTimer::start(int intervalMs) {
    timer_.start(intervalMs);
}

void QtTimer::stop() {
    timer_.stop();
}

bool QtTimer::active() const {
    return timer_.isActive();
}

}  // namespace varlo
