#include "links/JvHidHandOver.h"

#include <QMetaObject>
#include <QObject>
#include <chrono>

namespace varlo {

struct HidHandOver::Item {
    enum class State { Queued, Running, Done };
    std::function<void()> work;
    State state = State::Queued;
    std::exception_ptr error;
};

HidHandOver::HidHandOver() : context_(std::make_unique<QObject>()) {}

HidHandOver::~HidHandOver() = default;

HidHandOver::Outcome HidHandOver::Run(std::function<void()> work, const std::atomic<bool>& stop) {
    auto item = std::make_shared<Item>();
    item->work = std::move(work);
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(item);
    }
    cv_.notify_all();
    QMetaObject::invokeMethod(
        context_.get(), [this] { RunPending(); }, Qt::QueuedConnection);

    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] {
        return item->state == Item::State::Done || (stop && item->state == Item::State::Running);
    });
    if (item->state != Item::State::Done) return Outcome::Abandoned;
    return item->error ? Outcome::Threw : Outcome::Ran;
}

void HidHandOver::RunPending() {
    for (;;) {
        std::shared_ptr<Item> item;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return;
            item = queue_.front();
            queue_.pop_front();
            item->state = Item::State::Running;
        }
        std::exception_ptr error;
        try {
            item->work();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            item->error = error;
            item->state = Item::State::Done;
        }
        cv_.notify_all();
    }
}

void HidHandOver::RunPendingUntil(const std::function<bool()>& done, int timeoutMs) {
    {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                     [&] { return !queue_.empty() || done(); });
    }
    RunPending();
}

void HidHandOver::Wake() {
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
}

std::size_t HidHandOver::Pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

}  // namespace varlo
