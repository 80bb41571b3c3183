#include "CliSupport.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/VarloError.h"
#include "decode/FrameDump.h"
#include "platform/HidReportText.h"
#include "platform/SystemLocale.h"
#include "recording/EditBox.h"

namespace varlo::cli {

const std::string& ArgCursor::Value(const std::string& option) {
    if (Done()) {
        throw UsageError("option " + option + " needs a value");
    }
    return Next();
}

bool TakeReadOption(const std::string& arg, ArgCursor& cursor, ReadOptions& options) {
    if (arg == "--chunk") {
        options.chunk =
            static_cast<std::size_t>(ParseIntegerOption(arg, cursor.Value(arg), 1, 1 << 24));
    } else if (arg == "--hid-reports") {
        options.hidReports = true;
    } else if (arg == "--decimal-sep") {
        options.decimalSep = cursor.Value(arg);
        const std::string& sep = *options.decimalSep;
        if (sep.empty()) {
            throw UsageError("option --decimal-sep needs a character");
        }
        // One character: a single UTF-8 sequence, well formed.
        std::string encoded;
        AppendUtf8(FirstCodePoint(sep), encoded);
        if (encoded != sep) {
            throw UsageError("option --decimal-sep: '" + sep + "' is not one character");
        }
    } else {
        return false;
    }
    return true;
}

void TakeInputArgument(const std::string& arg, std::string& input, bool& haveInput) {
    if (arg.size() > 1 && arg[0] == '-') {
        throw UsageError("unknown option " + arg);
    }
    if (haveInput) {
        throw UsageError("more than one input given");
    }
    input = arg;
    haveInput = true;
}

long long ParseIntegerOption(const std::string& option, const std::string& text, long long min,
                             long long max) {
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max) {
        throw UsageError("option " + option + ": '" + text + "' is not a whole number from " +
                         std::to_string(min) + " to " + std::to_string(max));
    }
    return value;
}

double ParseNumberOption(const std::string& option, const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        throw UsageError("option " + option + ": '" + text + "' is not a number");
    }
    return value;
}

namespace {
class SeparatorLocale : public LocaleSource {
  public:
    explicit SeparatorLocale(std::string sep) : sep_(std::move(sep)) {}
    std::string DecimalSeparator() const override { return sep_; }
    LocaleFormat Format() const override {
        LocaleFormat format = system_.Format();
        format.DecimalSeparator = sep_;
        return format;
    }

  private:
    std::string sep_;
    SystemLocale system_;
};
}  // namespace

std::unique_ptr<LocaleSource> MakeLocale(const std::optional<std::string>& decimalSep) {
    if (decimalSep) {
        return std::make_unique<SeparatorLocale>(*decimalSep);
    }
    return std::make_unique<SystemLocale>();
}

MeterPipeline::MeterPipeline(std::unique_ptr<LocaleSource> localeSource)
    : locale(std::move(localeSource)), decoder(traces, *locale), assembler(traces, decoder) {
    ApplyRangeProfile(kRangeCodeInForce, range);
    decoder.SetFullScale(range.FullScale);
    decoder.SetBarFull(range.BarFull);
    decoder.Panel().SetBarMax(range.BarMax);
}

void MeterPipeline::PrintDecodedFrames(bool flushEachLine) {
    assembler.SetErrorReport(
        [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    decoder.SetOnDecoded([this, flushEachLine] {
        line_.clear();
        AppendDumpLine(decoder, line_);
        line_ += '\n';
        std::fwrite(line_.data(), 1, line_.size(), stdout);
        if (flushEachLine && std::fflush(stdout) != 0) {
            outputClosed_ = true;
        }
    });
}

std::string MeterPipeline::Summary() const {
    return std::to_string(decoder.DecodedCount()) + " frames decoded, " +
           std::to_string(decoder.RejectedCount()) + " rejected, " +
           std::to_string(assembler.DroppedCount()) + " dropped";
}

Dialogs::Answer StderrDialogs::Ask(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return Answer::Yes;
}

void StderrDialogs::Inform(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

void StderrDialogs::SystemMessage(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

void StderrDialogs::ShowError(const std::string& text) {
    ++errors_;
    std::fprintf(stderr, "%s\n", text.c_str());
}

InputFile::InputFile(const std::string& path) {
    if (path.empty() || path == "-") {
        file_ = stdin;
        name_ = "-";
        return;
    }
    name_ = path;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        throw InputError(path + ": " + std::strerror(errno));
    }
    owned_ = true;
}

InputFile::~InputFile() {
    if (owned_ && file_ != nullptr) {
        std::fclose(file_);
    }
}

void FeedRawStream(InputFile& input, std::size_t chunk,
                   const std::function<void(const std::uint8_t*, std::size_t)>& deliver) {
    std::vector<std::uint8_t> block(chunk);
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), input.Handle());
        if (got > 0) {
            deliver(block.data(), got);
        }
        if (got < block.size()) {
            if (std::ferror(input.Handle())) {
                throw InputError(input.Name() + ": " + std::strerror(errno));
            }
            break;
        }
    }
}

void FeedHidReportText(InputFile& input, FrameAssembler& assembler) {
    try {
        ReadHidReportText(input.Handle(), input.Name(), [&](std::vector<std::uint8_t>& report) {
            assembler.HidKestoData(report.front(), report.data() + 1,
                                   static_cast<std::uint16_t>(report.size() - 1));
        });
    } catch (const VarloError& error) {
        throw InputError(error.what());
    }
}

}  // namespace varlo::cli
