#include "Command.h"

namespace varlo::cli {

std::vector<Command>& CommandRegistry::All() {
    static std::vector<Command> commands;
    return commands;
}

const Command* CommandRegistry::Find(const std::string& name) {
    for (const Command& command : All()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace varlo::cli
