#include "HarnessMain.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

#include "app/VarloApplication.h"

namespace varlo::load {

int HarnessMain(int argc, char** argv, const std::string& program,
                std::map<std::string, std::string> defaults, const std::string& usage,
                int (*run)(const HarnessArgs&)) {
    qputenv("PULSE_SERVER", QByteArray::fromStdString("unix:/nonexistent/" + program));
    app::VarloApplication application(argc, argv);
    try {
        const HarnessArgs args(argc, argv, std::move(defaults));
        return run(args);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "%s: %s\nusage: %s %s\n", program.c_str(), error.what(),
                     program.c_str(), usage.c_str());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.what());
        return 1;
    }
}

}  // namespace varlo::load
