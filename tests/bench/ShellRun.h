#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace varlo::bench::test {

struct ShellResult {
    std::string out;
    int status = -1;
};

// Runs `script` with bash, the folder of the figure scripts in $COMMON;
// standard output and the exit status.
inline ShellResult RunShell(const std::string& script) {
    const std::string command = "COMMON='" VARLO_BENCH_COMMON "' bash -c '" + [&] {
        std::string quoted;
        for (char c : script) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted;
    }() + "'";
    ShellResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace varlo::bench::test
