#include "sim/SimCommand.h"

#include <signal.h>

#include <atomic>

#include "sim/SimOptions.h"
#include "sim/SimRunner.h"

namespace varlo::sim {

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) {
    stopRequested = true;
}

}  // namespace

int RunSimCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const SimParse parse = ParseSimOptions(args);
    if (parse.help) {
        out << kSimUsage;
        return 0;
    }
    if (!parse.options) {
        err << "varlo-cli sim: " << parse.error << "\n\n" << kSimUsage;
        return 2;
    }
    // No SA_RESTART: a write blocked on a full terminal returns at once.
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a failed write
    stopRequested = false;
    return RunSimulation(*parse.options, out, err, stopRequested);
}

}  // namespace varlo::sim
