#pragma once

#include <signal.h>

namespace varlo::cli {

// While it lives, Ctrl-C and SIGTERM ask a live run to stop and a closed
// output pipe shows as a failed write instead of ending the process.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // A stop was asked for, by a signal or by RequestLiveStop.
    static bool Requested();

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    struct sigaction oldPipe_ {};
};

// Asks the live run to stop at its next tick (a closed output, say).
void RequestLiveStop();

}  // namespace varlo::cli
