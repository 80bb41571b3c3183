// Frame assembly plus decoding throughput on a generated serial stream,
// with the trace sinks as built. Target: at least 1,000,000 frames per
// second on one core.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "BenchFigure.h"
#include "decode/FrameAssembler.h"
#include "decode/MeterDecoder.h"

namespace {

std::vector<std::uint8_t> MakeStream(int frames) {
    // Readings across volts, ohms, amps and frequency, changing digits.
    const std::uint8_t functions[] = {0xB, 0x3, 0x0, 0x2, 0x6, 0xF};
    std::mt19937 random(7);
    std::vector<std::uint8_t> stream;
    stream.reserve(static_cast<std::size_t>(frames) * 14);
    for (int i = 0; i < frames; ++i) {
        stream.push_back(0x0A);
        stream.push_back(0x30 + random() % 3);  // range
        for (int d = 0; d < 5; ++d) {
            stream.push_back(0x30 + random() % 10);
        }
        stream.push_back(0x30 + functions[random() % 6]);
        stream.push_back(0x30 + (random() % 2) * 4);  // sign
        stream.push_back(0x30);
        stream.push_back(0x30);
        stream.push_back(0x30 + 8 + (random() % 2) * 2);  // DC, AUTO
        stream.push_back(0x30);
        stream.push_back(0x0D);
    }
    return stream;
}

void BM_AssembleAndDecode(benchmark::State& state) {
    constexpr int kFrames = 10000;
    const std::vector<std::uint8_t> stream = MakeStream(kFrames);
    varlo::FixedLocale locale;
    varlo::TraceSinks traces;
    varlo::MeterDecoder decoder(traces, locale);
    varlo::FrameAssembler assembler(traces, decoder);
    for (auto _ : state) {
        for (std::size_t i = 0; i < stream.size(); i += 2048) {
            assembler.KESTODATA(stream.data() + i, std::min<std::size_t>(2048, stream.size() - i));
        }
        benchmark::DoNotOptimize(decoder.Reading().ScaledValue);
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.counters["frames_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
    state.SetLabel("target >= 1000000 frames/s");
    if (decoder.RejectedCount() != 0 || assembler.DroppedCount() > 1) {
        state.SkipWithError("the generated stream did not decode cleanly");
    }
}
BENCHMARK(BM_AssembleAndDecode)->Unit(benchmark::kMillisecond);

// Keeps the frame rate of the last run that measured one.
class RateReporter : public benchmark::ConsoleReporter {
  public:
    RateReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto rate = run.counters.find("frames_per_s");
            if (!run.error_occurred && rate != run.counters.end()) framesPerSecond = rate->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double framesPerSecond = -1;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.framesPerSecond < 0) return 1;  // filtered out, or the stream did not decode
    varlo::bench::Figure("frames assembled and decoded, in process", reporter.framesPerSecond,
                         "frames/s", varlo::bench::AtLeast(1'000'000),
                         "per CPU second; 10,000 generated frames a pass, trace sinks as built");
    return 0;
}
