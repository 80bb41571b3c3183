#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace varlo {

// Runs work of the HID reader threads on the GUI thread, one item at a time,
// in the order handed over. A reader blocks until its item has run; the GUI
// thread runs items from its event loop, and also while it waits for a
// reader to stop, so that a reader blocked in a hand-over cannot dead-lock
// the stop. Create it on the GUI thread.
class HidHandOver {
  public:
    enum class Outcome { Ran, Threw, Abandoned };

    HidHandOver();
    ~HidHandOver();
    HidHandOver(const HidHandOver&) = delete;
    HidHandOver& operator=(const HidHandOver&) = delete;

    // Reader thread: queue `work` for the GUI thread and wait until it has
    // run. Returns Threw when it raised an exception. Returns Abandoned when
    // `stop` is set while the work is running, so that a handler that stops
    // its own reader does not wait for itself; work still queued when `stop`
    // is set is run by the GUI thread's stop and waited for.
    Outcome Run(std::function<void()> work, const std::atomic<bool>& stop);

    // GUI thread: run every item queued now.
    void RunPending();

    // GUI thread: wait until an item is queued, `done` holds, or the timeout
    // passes; then run what is queued. Used while stopping a reader.
    void RunPendingUntil(const std::function<bool()>& done, int timeoutMs);

    // Wakes readers waiting in Run so that they look at their stop flags.
    void Wake();

    // Items queued and not yet started.
    std::size_t Pending() const;

  private:
    struct Item;
    std::unique_ptr<QObject> context_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::shared_ptr<Item>> queue_;
};

}  // namespace varlo
