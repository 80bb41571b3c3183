// varlo-cli: the headless twin of the window.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"

namespace {

void PrintOverview(std::FILE* out) {
    std::fprintf(out, "usage: varlo-cli COMMAND [OPTIONS]\n\ncommands:\n");
    std::vector<varlo::cli::Command> commands = varlo::cli::CommandRegistry::All();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return std::string(a.name) < b.name; });
    for (const auto& command : commands) {
        std::fprintf(out, "  %-8s %s\n", command.name, command.summary);
    }
    std::fprintf(out, "\n'varlo-cli COMMAND --help' describes a command; 'varlo-cli --version'\n"
                      "prints the version.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintOverview(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--version") {
        std::printf("varlo-cli %s\n", VARLO_VERSION);
        return 0;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview(stdout);
        return 0;
    }
    const varlo::cli::Command* command = varlo::cli::CommandRegistry::Find(name);
    if (command == nullptr) {
        std::fprintf(stderr, "varlo-cli: unknown command '%s'\n\n", name.c_str());
        PrintOverview(stderr);
        return 2;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::fputs(command->usage, stdout);
        return 0;
    }
    return command->run(args);
}
