#include "CliSupport.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "decode/FrameDump.h"
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
        if (Utf8Encode(FirstCodePoint(sep)) != sep) {
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

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<HidReport> ParseHidReportLine(const std::string& line) {
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    const std::size_t n = (!line.empty() && line.back() == '\r') ? line.size() - 1 : line.size();
    while (i < n) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && line[j] != ' ' && line[j] != '\t') {
            ++j;
        }
        const std::string token = line.substr(i, j - i);
        if (token.size() != 2 || HexValue(token[0]) < 0 || HexValue(token[1]) < 0) {
            throw InputError("'" + token + "' is not a byte of two hexadecimal digits");
        }
        bytes.push_back(static_cast<std::uint8_t>(HexValue(token[0]) * 16 + HexValue(token[1])));
        if (bytes.size() > 65536) {
            throw InputError("a report holds at most 65535 bytes after the report ID");
        }
        i = j;
    }
    if (bytes.empty()) {
        return std::nullopt;
    }
    HidReport report;
    report.reportId = bytes.front();
    report.data.assign(bytes.begin() + 1, bytes.end());
    return report;
}

std::string FormatHidReportLine(const HidReport& report) {
    static const char* kHex = "0123456789ABCDEF";
    std::string line;
    line.reserve(3 * (report.data.size() + 1));
    auto put = [&](std::uint8_t b) {
        if (!line.empty()) {
            line.push_back(' ');
        }
        line.push_back(kHex[b >> 4]);
        line.push_back(kHex[b & 0xF]);
    };
    put(report.reportId);
    for (std::uint8_t b : report.data) {
        put(b);
    }
    return line;
}

void FeedHidReportText(InputFile& input, FrameAssembler& assembler) {
    std::string line;
    std::size_t lineNo = 0;
    int c = 0;
    bool more = true;
    while (more) {
        line.clear();
        while ((c = std::fgetc(input.Handle())) != EOF && c != '\n') {
            line.push_back(static_cast<char>(c));
            if (line.size() > 4 * 65536) {
                throw InputError(input.Name() + ":" + std::to_string(lineNo + 1) +
                                 ": line too long");
            }
        }
        more = c != EOF;
        if (!more && line.empty()) {
            break;
        }
        ++lineNo;
        std::optional<HidReport> report;
        try {
            report = ParseHidReportLine(line);
        } catch (const InputError& error) {
            throw InputError(input.Name() + ":" + std::to_string(lineNo) + ": " + error.what());
        }
        if (report) {
            assembler.HidKestoData(report->reportId, report->data.data(),
                                   static_cast<std::uint16_t>(report->data.size()));
        }
    }
    if (std::ferror(input.Handle())) {
        throw InputError(input.Name() + ": " + std::strerror(errno));
    }
}

}  // namespace varlo::cli
