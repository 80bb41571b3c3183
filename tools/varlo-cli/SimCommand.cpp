// varlo-cli sim: a simulated meter on a pseudo-terminal, a device or
// standard output.
#include "sim/SimCommand.h"

#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "sim/SimOptions.h"

namespace varlo::cli {
namespace {

int RunSim(const std::vector<std::string>& args) {
    return sim::RunSimCommand(args, std::cout, std::cerr);
}

const CommandRegistration kRegistration({"sim", "a simulated meter on a pseudo-terminal",
                                         sim::kSimUsage, RunSim});

}  // namespace
}  // namespace varlo::cli
