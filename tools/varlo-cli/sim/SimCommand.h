#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace varlo::sim {

// `varlo-cli sim ARGS...`: parses the arguments after "sim", ends cleanly
// on SIGINT and SIGTERM and on a closed output, and returns the exit
// status (2 for a usage error).
int RunSimCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace varlo::sim
