// Arbitrary bytes and reports through frame assembly and decoding: no
// crash, no undefined behaviour, buffers and the bar graph within bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode/FrameAssembler.h"
#include "decode/MeterDecoder.h"

namespace {
void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    varlo::FixedLocale locale;
    varlo::TraceSinks traces;
    varlo::MeterDecoder decoder(traces, locale);
    decoder.Panel().SetBarMax(22);
    varlo::FrameAssembler assembler(traces, decoder);
    // Each input is a sequence of records: a control byte chooses the entry
    // and the length of the piece that follows.
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t control = data[i++];
        const std::size_t length = std::min<std::size_t>(control >> 2, size - i);
        const std::uint8_t* piece = data + i;
        switch (control & 3) {
            case 0:
                assembler.KESTODATA(piece, length);
                break;
            case 1:
                assembler.TRIVAData(piece, length);
                break;
            case 2:
                if (length > 0) {
                    assembler.HidKestoData(piece[0], piece + 1,
                                           static_cast<std::uint16_t>(length - 1));
                } else {
                    assembler.HidKestoData(0, piece, 0);
                }
                break;
            default:
                if (length > 0) {
                    assembler.HidReadData(piece[0], piece + 1,
                                          static_cast<std::uint16_t>(length - 1));
                }
                break;
        }
        i += length;
        Check(assembler.NibbleBuffer().size() <= varlo::FrameAssembler::kFrameLength);
        Check(assembler.ReportHexBuffer().size() <= varlo::FrameAssembler::kReportHexLength);
        Check(decoder.Panel().BarPosition() >= 0 && decoder.Panel().BarPosition() <= 22);
        Check(traces.Memo1.LineCount() <= varlo::LineSink::kMaxLines);
        Check(traces.Memo2.LineCount() <= varlo::LineSink::kMaxLines);
    }
    return 0;
}
