#pragma once

#include <map>
#include <string>

#include "HarnessArgs.h"

namespace varlo::load {

// The whole of a harness program's main: keeps the alarm tone away from
// any sound server (a load run beeps often and stays silent), makes the
// application, reads the options against `defaults` and runs `run`. A bad
// option prints the reason and `usage` and gives status 2; a failure
// prints its reason and gives status 1.
int HarnessMain(int argc, char** argv, const std::string& program,
                std::map<std::string, std::string> defaults, const std::string& usage,
                int (*run)(const HarnessArgs&));

}  // namespace varlo::load
