#pragma once

#include <signal.h>

#include <atomic>

namespace varlo::cli {

// While it lives, Ctrl-C and SIGTERM ask a run to stop and a closed output
// pipe shows as a failed write instead of ending the process. The handlers
// do not restart an interrupted call, so a wait in a read or write ends at
// the signal.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // A stop was asked for, by a signal or by RequestLiveStop.
    static bool Requested();
    // The flag behind Requested, for code that watches a stop flag.
    static const std::atomic<bool>& Flag();

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    struct sigaction oldPipe_ {};
};

// Asks the live run to stop at its next tick (a closed output, say).
void RequestLiveStop();

}  // namespace varlo::cli
