// The XML table reader on hostile bytes: no crash, no hang, and whatever
// loads saves to a document that loads back to exactly the same rows.
#include <cstdint>
#include <cstdlib>

#include "FuzzTableSupport.h"
#include "recording/TableXml.h"

using namespace varlo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = [](QIODevice& device, ReadingLog& log) { return ReadTableXml(device, log); };
    const auto write = [](const ReadingLog& log, QIODevice& device) {
        return WriteTableXml(log, device);
    };
    ReadingLog log;
    if (!fuzz::ReadBytes(fuzz::Bytes(data, size), log, read)) return 0;
    fuzz::CheckTexts(log);
    const QByteArray saved = fuzz::WriteBytes(log, write);
    ReadingLog again;
    if (!fuzz::ReadBytes(saved, again, read)) std::abort();
    if (!fuzz::SameRows(log, again)) std::abort();
    if (fuzz::WriteBytes(again, write) != saved) std::abort();
    return 0;
}
