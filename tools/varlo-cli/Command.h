#pragma once

#include <string>
#include <vector>

namespace varlo::cli {

// One sub-command of varlo-cli. `run` gets the arguments after the command
// name and returns the exit status.
struct Command {
    const char* name;
    const char* summary;
    const char* usage;
    int (*run)(const std::vector<std::string>& args);
};

// Commands register themselves at start-up, each from its own file.
class CommandRegistry {
  public:
    static std::vector<Command>& All();
    static const Command* Find(const std::string& name);
};

struct CommandRegistration {
    explicit CommandRegistration(Command command) { CommandRegistry::All().push_back(command); }
};

}  // namespace varlo::cli
