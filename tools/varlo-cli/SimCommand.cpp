// varlo-cli sim: a simulated meter on a pseudo-terminal, a device or
// standard output.
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "StopSignals.h"
#include "sim/SimOptions.h"
#include "sim/SimRunner.h"

namespace varlo::cli {
namespace {

int RunSim(const std::vector<std::string>& args) {
    const sim::SimParse parse = sim::ParseSimOptions(args);
    if (parse.help) {
        std::cout << sim::kSimUsage;
        return 0;
    }
    if (!parse.options) {
        std::cerr << "varlo-cli sim: " << parse.error << "\n\n" << sim::kSimUsage;
        return 2;
    }
    // Ctrl-C and SIGTERM end the run cleanly, even in the middle of a write;
    // a closed pipe shows as a failed write.
    StopSignals stopSignals;
    return sim::RunSimulation(*parse.options, std::cout, std::cerr, StopSignals::Flag());
}

const CommandRegistration kRegistration({"sim", "a simulated meter on a pseudo-terminal",
                                         sim::kSimUsage, RunSim});

}  // namespace
}  // namespace varlo::cli
