// Memory and append time of the reading log at the "limitless" record limit:
// 10,000,000 rows as the recorder writes them.
//
// Prints the log's own count of bytes held (MemoryBytes) and the growth of
// the process heap as the C library reports it, each per row, beside the
// target of 48 bytes per row, and the mean time of one append.

#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "recording/ReadingLog.h"

namespace {

constexpr double kTargetBytesPerRow = 48.0;

struct Mode {
    const char* function;
    const char* unit;
    int decimals;  // digits after the decimal point
};

constexpr Mode kModes[] = {
    {"DC", "V", 3}, {"DC", "V", 4}, {"AC", "V", 3}, {"Ohm", "K*", 2}, {"Frequency", "Hz", 1}};

// A meter value text: sign, five digits with the decimal point in place,
// leading zeros kept ("00.123", "-1.2345").
std::string ValueText(int counts, int decimals) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%05d", counts < 0 ? -counts : counts);
    std::string text = counts < 0 ? "-" : "";
    const int whole = 5 - decimals;
    text.append(digits, static_cast<std::size_t>(whole));
    text += '.';
    text.append(digits + whole);
    return text;
}

std::string TimeText(std::int64_t second) {
    char text[16];
    const int s = static_cast<int>(second % 86400);
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return text;
}

std::size_t HeapInUse() {
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> step(-40, 40);
    std::uniform_int_distribution<int> modeChange(0, 9999);

    const std::size_t heapBefore = HeapInUse();
    varlo::ReadingLog log;
    int counts = 123;
    int mode = 0;
    std::chrono::nanoseconds appendTime{0};
    for (std::size_t i = 0; i < rows; ++i) {
        // A drifting reading, now and then another function or range.
        counts += step(random);
        if (counts > 22000 || counts < -22000) counts = 0;
        if (modeChange(random) == 0) mode = (mode + 1) % 5;
        const Mode& m = kModes[mode];
        const std::string value = ValueText(counts, m.decimals);
        const std::string time = TimeText(static_cast<std::int64_t>(i));
        const char* judge = (counts > -20000 && counts < 20000) ? "Pass" : "Fail";

        const auto start = std::chrono::steady_clock::now();
        log.AppendRow(static_cast<std::int32_t>(i + 1), time, m.function, value, m.unit, judge,
                      counts);
        appendTime += std::chrono::steady_clock::now() - start;
    }
    const std::size_t heapAfter = HeapInUse();

    const double perRowLog = static_cast<double>(log.MemoryBytes()) / static_cast<double>(rows);
    const double perRowHeap =
        static_cast<double>(heapAfter - heapBefore) / static_cast<double>(rows);
    const double nsPerAppend = static_cast<double>(appendTime.count()) / static_cast<double>(rows);

    std::printf("reading log, %zu recorded rows (value \"%s\" in the last row)\n", rows,
                log.Text(rows - 1, varlo::ReadingLog::kValue).c_str());
    std::printf("  bytes/row held by the log (MemoryBytes): %6.2f   target <= %.0f  %s\n",
                perRowLog, kTargetBytesPerRow, perRowLog <= kTargetBytesPerRow ? "ok" : "OVER");
    std::printf("  bytes/row of heap growth (mallinfo2):    %6.2f   target <= %.0f  %s\n",
                perRowHeap, kTargetBytesPerRow, perRowHeap <= kTargetBytesPerRow ? "ok" : "OVER");
    std::printf("  time per append:                          %6.1f ns\n", nsPerAppend);
    return perRowHeap <= kTargetBytesPerRow ? 0 : 1;
}
