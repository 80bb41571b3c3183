// varlo-cli dump: prints every decoded frame of a recorded stream.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "Command.h"
#include "LiveSerial.h"
#include "LiveUsb.h"
#include "decode/FrameDump.h"

namespace varlo::cli {
namespace {

const char* const kUsage =
    "usage: varlo-cli dump [--chunk N] [--decimal-sep C] [FILE | -]\n"
    "       varlo-cli dump --hid-reports [--decimal-sep C] [FILE | -]\n"
    "       varlo-cli dump --port DEVICE|COMn [--count N] [--seconds S] [--capture FILE]\n"
    "                      [--decimal-sep C]\n"
    "       varlo-cli dump --usb [--count N] [--seconds S] [--capture FILE] [--decimal-sep C]\n"
    "\n"
    "Decodes a recorded meter stream and prints one tab-separated line per\n"
    "decoded frame (after a header line); the counts of decoded, rejected and\n"
    "dropped frames go to standard error at the end.\n"
    "\n"
    "  FILE, -            the input; standard input when absent or '-'\n"
    "  --chunk N          feed the raw serial bytes in blocks of N (default 2048)\n"
    "  --hid-reports      the input is text: one HID input report a line, its\n"
    "                     bytes as hexadecimal pairs, the report ID first\n"
    "  --decimal-sep C    use C as the locale's decimal separator\n" VARLO_LIVE_SERIAL_USAGE
        VARLO_LIVE_USB_USAGE;

struct DumpOptions : ReadOptions {
    std::string input;
    LiveSerialOptions live;
    bool usb = false;
};

DumpOptions ParseDumpOptions(const std::vector<std::string>& args) {
    DumpOptions options;
    bool haveInput = false;
    ArgCursor cursor(args);
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (TakeReadOption(arg, cursor, options)) {
        } else if (arg == "--usb") {
            options.usb = true;
        } else if (TakeLiveSerialOption(arg, cursor, options.live)) {
        } else {
            TakeInputArgument(arg, options.input, haveInput);
        }
    }
    CheckLiveSources(options.live, options.usb, haveInput || options.hidReports);
    if (options.live.port && (haveInput || options.hidReports)) {
        throw UsageError("--port reads the meter in place of an input");
    }
    return options;
}

// Prints each frame's line as it is decoded from the live port.
int RunLiveDump(const DumpOptions& options) {
    MeterPipeline pipeline(MakeLocale(options.decimalSep));
    pipeline.PrintDecodedFrames();
    const int status = RunLiveSerial(
        options.live, "dump", pipeline.assembler, pipeline.decoder.Link(), pipeline.decoder.Panel(),
        [&](const std::uint8_t* data, std::size_t size) {
            pipeline.assembler.KESTODATA(data, size);
        },
        [&] { return pipeline.decoder.DecodedCount(); },
        [] {
            // The lines of one poll go out together, as soon as it has run.
            if (std::fflush(stdout) != 0) {
                RequestLiveStop();
            }
        },
        [] {
            std::printf("%s\n", kDumpHeader);
            if (std::fflush(stdout) != 0) {
                RequestLiveStop();
            }
        });
    if (status == 2) {
        return status;
    }
    std::fprintf(stderr, "%s\n", pipeline.Summary().c_str());
    return status;
}

// Prints each frame's line as it is decoded from the USB cable.
int RunUsbDump(const DumpOptions& options) {
    MeterPipeline pipeline(MakeLocale(options.decimalSep));
    pipeline.PrintDecodedFrames(true);
    LiveUsbHooks hooks;
    hooks.started = [] {
        std::printf("%s\n", kDumpHeader);
        std::fflush(stdout);
    };
    hooks.framesDone = [&] { return pipeline.decoder.DecodedCount(); };
    hooks.stopNow = [&] { return pipeline.OutputClosed(); };
    const int status = RunLiveUsb(options.live, "dump", pipeline.assembler, pipeline.decoder.Link(),
                                  pipeline.decoder.Panel(), hooks);
    if (status == 2) return status;
    std::fprintf(stderr, "%s\n", pipeline.Summary().c_str());
    return status;
}

int RunDump(const std::vector<std::string>& args) {
    DumpOptions options;
    try {
        options = ParseDumpOptions(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "varlo-cli dump: %s\n\n%s", error.what(), kUsage);
        return 2;
    }
    if (options.live.port) {
        return RunLiveDump(options);
    }
    if (options.usb) return RunUsbDump(options);
    std::unique_ptr<InputFile> input;
    try {
        input = std::make_unique<InputFile>(options.input);
    } catch (const InputError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    MeterPipeline pipeline(MakeLocale(options.decimalSep));
    pipeline.PrintDecodedFrames();
    int status = 0;
    try {
        std::printf("%s\n", kDumpHeader);
        if (options.hidReports) {
            FeedHidReportText(*input, pipeline.assembler);
        } else {
            FeedRawStream(*input, options.chunk, [&](const std::uint8_t* data, std::size_t size) {
                pipeline.assembler.KESTODATA(data, size);
            });
        }
    } catch (const InputError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", error.what());
        status = 2;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", pipeline.Summary().c_str());
    return status;
}

const CommandRegistration kRegistration({"dump", "decode a meter stream and print each frame",
                                         kUsage, RunDump});

}  // namespace
}  // namespace varlo::cli
