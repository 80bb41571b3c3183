#include "app/WindowTimer.h"

namespace varlo::app {

WindowTimer::WindowTimer(QObject& window, const QString& name) : timer_(new QTimer(&window)) {
    timer_->setObjectName(name);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, timer_, [this] { fire(); });
}

WindowTimer::~WindowTimer() {
    delete timer_.data();
}

void WindowTimer::start(int intervalMs) {
    if (timer_) timer_->start(intervalMs);
}

void WindowTimer::stop() {
    if (timer_) timer_->stop();
}

bool WindowTimer::active() const {
    return timer_ && timer_->isActive();
}

}  // namespace varlo::app
