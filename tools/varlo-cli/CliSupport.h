#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Dialogs.h"
#include "decode/FrameAssembler.h"
#include "decode/Locale.h"
#include "decode/MeterDecoder.h"
#include "decode/MeterVariant.h"
#include "decode/TraceSinks.h"

namespace varlo::cli {

// A wrong command line: the command prints its usage and exits with 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An input that cannot be read or parsed: one line on standard error, exit 2.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Walks the arguments of a command.
class ArgCursor {
  public:
    explicit ArgCursor(const std::vector<std::string>& args) : args_(args) {}
    bool Done() const { return index_ >= args_.size(); }
    const std::string& Next() { return args_[index_++]; }
    // The value of the option just taken; a missing value is a usage error.
    const std::string& Value(const std::string& option);

  private:
    const std::vector<std::string>& args_;
    std::size_t index_ = 0;
};

// How a recorded input is read (dump and log): --chunk N, --hid-reports,
// --decimal-sep C.
struct ReadOptions {
    std::size_t chunk = 2048;
    bool hidReports = false;
    std::optional<std::string> decimalSep;
};
// Takes `arg` (and its value) when it is one of the read options.
bool TakeReadOption(const std::string& arg, ArgCursor& cursor, ReadOptions& options);

// An argument that no option took: the one input (FILE or "-"); anything
// else starting with "-" is an unknown option. Throws UsageError.
void TakeInputArgument(const std::string& arg, std::string& input, bool& haveInput);

long long ParseIntegerOption(const std::string& option, const std::string& text, long long min,
                             long long max);
double ParseNumberOption(const std::string& option, const std::string& text);

// The user's locale, with the decimal separator replaced when one is given.
std::unique_ptr<LocaleSource> MakeLocale(const std::optional<std::string>& decimalSep);

// The assembler and decoder of the window, set up with the range profile
// in force.
struct MeterPipeline {
    explicit MeterPipeline(std::unique_ptr<LocaleSource> localeSource);
    MeterPipeline(const MeterPipeline&) = delete;
    MeterPipeline& operator=(const MeterPipeline&) = delete;

    std::unique_ptr<LocaleSource> locale;
    TraceSinks traces;
    RangeState range;
    MeterDecoder decoder;
    FrameAssembler assembler;

    // "N frames decoded, M rejected, K dropped"
    std::string Summary() const;

    // From now on each decoded frame's dump line goes to standard output
    // (flushed at once when asked) and each failure to standard error.
    void PrintDecodedFrames(bool flushEachLine = false);
    // A flushed write failed: the reader of standard output has gone.
    bool OutputClosed() const { return outputClosed_; }

  private:
    std::string line_;
    bool outputClosed_ = false;
};

// The messages the window would show, as lines on standard error. A
// question is answered Yes.
class StderrDialogs : public Dialogs {
  public:
    Answer Ask(const std::string& text) override;
    void Inform(const std::string& text) override;
    void SystemMessage(const std::string& title, const std::string& text) override;
    void ShowError(const std::string& text) override;
    int ErrorCount() const { return errors_; }

  private:
    int errors_ = 0;
};

// An input file, or standard input for "" or "-".
class InputFile {
  public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    std::FILE* Handle() const { return file_; }
    const std::string& Name() const { return name_; }

  private:
    std::FILE* file_ = nullptr;
    std::string name_;
    bool owned_ = false;
};

// Feeds a raw serial byte stream to `deliver` in blocks of `chunk` bytes.
void FeedRawStream(InputFile& input, std::size_t chunk,
                   const std::function<void(const std::uint8_t*, std::size_t)>& deliver);

// Feeds every report of a report-text input; a malformed line stops the run
// with "FILE:LINE: reason".
void FeedHidReportText(InputFile& input, FrameAssembler& assembler);

}  // namespace varlo::cli
