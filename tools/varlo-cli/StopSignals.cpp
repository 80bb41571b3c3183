#include "StopSignals.h"

namespace varlo::cli {

namespace {
std::atomic<bool> stopRequested{false};

void OnStopSignal(int) {
    stopRequested = true;
}
}  // namespace

StopSignals::StopSignals() {
    // Cleared first, so that a signal arriving while the handlers go in
    // is not lost.
    stopRequested = false;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &oldPipe_);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    sigaction(SIGPIPE, &oldPipe_, nullptr);
}

bool StopSignals::Requested() {
    return stopRequested;
}

const std::atomic<bool>& StopSignals::Flag() {
    return stopRequested;
}

void RequestLiveStop() {
    stopRequested = true;
}

}  // namespace varlo::cli
