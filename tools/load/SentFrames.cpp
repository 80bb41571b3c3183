#include "SentFrames.h"

#include <stdexcept>

#include "CountingDialogs.h"
#include "followup/MeterSession.h"
#include "recording/LocalClock.h"
#include "sim/Scenarios.h"

namespace varlo::load {

const int kComparedColumns[5] = {ReadingLog::kFunction, ReadingLog::kValue, ReadingLog::kUnit,
                                 ReadingLog::kAuto, ReadingLog::kNVal};

namespace {

// "A", the low nibble of each of the 12 data bytes in upper-case
// hexadecimal, "D": what a receiver forms from a clean frame.
std::string TextOf(const sim::Bytes& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    if (bytes.size() != 14 || bytes[12] != 0x0D || bytes[13] != 0x0A) {
        throw std::logic_error("not a frame of the meter");
    }
    std::string text = "A";
    for (std::size_t i = 0; i < 12; ++i) text += kHex[bytes[i] & 0x0F];
    return text + "D";
}

}  // namespace

std::vector<SentFrame> RegenerateSentFrames(const std::string& scenario, std::uint64_t seed,
                                            std::size_t count, const LocaleSource& locale) {
    const auto parsed = sim::ParseScenario(scenario);
    if (!parsed) throw std::invalid_argument("no scenario " + scenario);
    const auto source = sim::MakeScenarioSource(*parsed, seed);
    CountingDialogs dialogs;
    const SystemLocalClock clock;
    MeterSession session(locale, clock, dialogs);
    session.limitessClick();
    std::vector<SentFrame> frames;
    frames.reserve(count);
    const std::uint8_t lineFeed = 0x0A;  // the end of a frame before the first
    session.OnSerialData(&lineFeed, 1);
    for (std::size_t i = 0; i < count; ++i) {
        const sim::Bytes bytes = *source->next();
        session.OnSerialData(bytes.data(), bytes.size());
        if (session.Log().RowCount() != i + 1 || dialogs.Count() != 0) {
            throw std::logic_error("frame " + std::to_string(i) + " of the scenario is no row");
        }
        SentFrame frame{TextOf(bytes), {}};
        for (int column : kComparedColumns) frame.row.push_back(session.Log().Text(i, column));
        frames.push_back(std::move(frame));
    }
    return frames;
}

}  // namespace varlo::load
