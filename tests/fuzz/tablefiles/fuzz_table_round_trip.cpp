// Any table the loaders take, saved as text and as XML, loaded and saved
// again, gives the same bytes the second time, in each format and across
// them. The first input byte chooses the loader (even: text, odd: XML).
#include <cstdint>
#include <cstdlib>

#include "FuzzTableSupport.h"
#include "recording/TableTextFile.h"
#include "recording/TableXml.h"

using namespace varlo;

namespace {

bool ReadText(QIODevice& device, ReadingLog& log) {
    return ReadTableText(device, log);
}
bool ReadXml(QIODevice& device, ReadingLog& log) {
    return ReadTableXml(device, log);
}
bool WriteText(const ReadingLog& log, QIODevice& device) {
    return WriteTableText(log, device);
}
bool WriteXml(const ReadingLog& log, QIODevice& device) {
    return WriteTableXml(log, device);
}

// Loads `saved` with `read` and saves it with `write`.
QByteArray Again(const QByteArray& saved, decltype(&ReadText) read, decltype(&WriteText) write) {
    ReadingLog log;
    if (!fuzz::ReadBytes(saved, log, read)) std::abort();
    return fuzz::WriteBytes(log, write);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    ReadingLog log;
    const auto read = (data[0] & 1) ? ReadXml : ReadText;
    if (!fuzz::ReadBytes(fuzz::Bytes(data + 1, size - 1), log, read)) return 0;
    fuzz::CheckTexts(log);

    const QByteArray text = fuzz::WriteBytes(log, WriteText);
    const QByteArray xml = fuzz::WriteBytes(log, WriteXml);
    if (Again(text, ReadText, WriteText) != text) std::abort();
    if (Again(xml, ReadXml, WriteXml) != xml) std::abort();
    if (Again(xml, ReadXml, WriteText) != text) std::abort();
    // The text's rows through XML and back.
    const QByteArray textAsXml = Again(text, ReadText, WriteXml);
    if (Again(textAsXml, ReadXml, WriteXml) != textAsXml) std::abort();
    if (Again(textAsXml, ReadXml, WriteText) != text) std::abort();
    return 0;
}
