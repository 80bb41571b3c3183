// The table text reader on hostile bytes: no crash, no hang, and whatever
// loads saves to a text that loads back to the same rows.
#include <cstdint>
#include <cstdlib>

#include "FuzzTableSupport.h"
#include "recording/TableTextFile.h"

using namespace varlo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = [](QIODevice& device, ReadingLog& log) { return ReadTableText(device, log); };
    const auto write = [](const ReadingLog& log, QIODevice& device) {
        return WriteTableText(log, device);
    };
    ReadingLog log;
    if (!fuzz::ReadBytes(fuzz::Bytes(data, size), log, read)) return 0;
    fuzz::CheckTexts(log);
    // One save normalises (trimmed texts, "NULL", no NVal); from then on a
    // save and a load change nothing.
    const QByteArray first = fuzz::WriteBytes(log, write);
    ReadingLog once;
    if (!fuzz::ReadBytes(first, once, read)) std::abort();
    const QByteArray second = fuzz::WriteBytes(once, write);
    ReadingLog twice;
    if (!fuzz::ReadBytes(second, twice, read)) std::abort();
    if (first != second || !fuzz::SameRows(once, twice)) std::abort();
    if (once.RowCount() != log.RowCount()) std::abort();
    return 0;
}
