// varlo-cli convert: loads a table file and saves it in the format its new
// name asks for.
#include <QFile>
#include <cstdio>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "Command.h"
#include "recording/ReadingLog.h"
#include "recording/TableFiles.h"
#include "recording/TableTextFile.h"

namespace varlo::cli {
namespace {

const char* const kUsage =
    "usage: varlo-cli convert IN OUT\n"
    "\n"
    "Loads the table file IN into an empty log as the open command does (XML\n"
    "for a name ending in \".xml\", the tab-separated text otherwise) and saves\n"
    "the log to OUT as the save command does (XML for exactly \".xml\", the\n"
    "text table otherwise; no extension is added). The messages the window\n"
    "would show go to standard error. On failure the exit status is 1 and OUT\n"
    "is left as it was. OUT \"-\" writes the text table to standard output.\n";

// Loads IN and writes the text table to standard output.
int ConvertToStandardOutput(const std::string& in, Dialogs& dialogs) {
    ReadingLog log;
    if (!LoadTableFile(in, log, false, dialogs)) return 1;
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || !WriteTableText(log, out) || !out.flush()) {
        std::fprintf(stderr, "varlo-cli convert: cannot write to standard output\n");
        return 1;
    }
    return 0;
}

int RunConvert(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0].empty() || args[1].empty()) {
        std::fprintf(stderr, "varlo-cli convert: %s\n\n%s",
                     args.size() != 2 ? "needs an input and an output file" : "empty file name",
                     kUsage);
        return 2;
    }
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "varlo-cli convert: unknown option %s\n\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    StderrDialogs dialogs;
    if (args[1] == "-") return ConvertToStandardOutput(args[0], dialogs);
    return ConvertTableFile(args[0], args[1], dialogs) ? 0 : 1;
}

const CommandRegistration kRegistration({"convert", "convert a table file between text and XML",
                                         kUsage, RunConvert});

}  // namespace
}  // namespace varlo::cli
