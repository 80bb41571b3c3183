#include "sim/Scenarios.h"

#include <cmath>
#include <utility>

namespace varlo::sim {

namespace {

MeterFrame Make(std::uint8_t function, std::uint8_t range, unsigned value,
                std::uint8_t option3 = kOptDC | kOptAuto) {
    MeterFrame s;
    s.function = function;
    s.range = range;
    s.digits = Digits(value);
    s.option3 = option3;
    return s;
}

// Ranges each function code has in the decoder's tables.
struct FunctionRanges {
    std::uint8_t function;
    std::uint8_t ranges;
};
const FunctionRanges kFunctions[] = {{0, 1}, {1, 1}, {2, 8},  {3, 7},  {4, 1}, {5, 1},
                                     {6, 8}, {9, 4}, {11, 5}, {13, 2}, {15, 2}};

}  // namespace

std::vector<MeterFrame> TourFrames() {
    std::vector<MeterFrame> t;
    const std::uint8_t dcAuto = kOptDC | kOptAuto, acAuto = kOptAC | kOptAuto;
    // Volts: every range, AUTO, DC then AC, then manual.
    const unsigned volts[] = {12345, 12345, 12345, 10234, 12345};
    for (std::uint8_t r = 0; r < 5; ++r) t.push_back(Make(11, r, volts[r], dcAuto));
    t.push_back(Make(11, 2, 23012, acAuto));
    t.push_back(Make(11, 1, 5000, kOptDC));  // MANU
    t.push_back(Make(11, 3, 1200, kOptAC));  // MANU, AC
    MeterFrame neg = Make(11, 0, 15000, dcAuto);
    neg.minus = true;
    t.push_back(neg);
    MeterFrame over = Make(11, 1, 0, dcAuto);
    over.overload = true;
    t.push_back(over);
    MeterFrame negOver = over;
    negOver.minus = true;
    t.push_back(negOver);
    MeterFrame hold = Make(11, 1, 4321, dcAuto);
    hold.hold = true;
    t.push_back(hold);
    MeterFrame rel = Make(11, 0, 123, dcAuto);
    rel.rel = true;
    t.push_back(rel);
    MeterFrame relNeg = rel;
    relNeg.minus = true;
    t.push_back(relNeg);
    MeterFrame battery = Make(11, 1, 9000, dcAuto);
    battery.battery = true;
    t.push_back(battery);
    // Amperes: function 0, 9 with its ranges, microamps and milliamps.
    t.push_back(Make(0, 0, 1234, dcAuto));
    for (std::uint8_t r = 0; r < 4; ++r) t.push_back(Make(9, r, 2345 + r * 1000u, dcAuto));
    t.push_back(Make(13, 0, 12345, dcAuto));
    t.push_back(Make(13, 1, 12345, acAuto));
    t.push_back(Make(15, 0, 1234, dcAuto));
    MeterFrame negAmps = Make(15, 1, 4567, kOptDC);
    negAmps.minus = true;
    t.push_back(negAmps);
    // Diode, continuity, temperature.
    t.push_back(Make(1, 0, 5230, 0));
    MeterFrame diodeOpen = Make(1, 0, 0, 0);
    diodeOpen.overload = true;
    t.push_back(diodeOpen);
    t.push_back(Make(5, 0, 12, 0));
    t.push_back(Make(4, 0, 235, 0));
    MeterFrame cold = Make(4, 0, 12, 0);
    cold.minus = true;
    t.push_back(cold);
    // Resistance: every range, AUTO, an open input, a manual range.
    for (std::uint8_t r = 0; r < 7; ++r) t.push_back(Make(3, r, 10000 + r * 1111u, kOptAuto));
    MeterFrame open = Make(3, 6, 0, kOptAuto);
    open.overload = true;
    t.push_back(open);
    t.push_back(Make(3, 2, 4700, 0));
    // Capacitance: every range.
    for (std::uint8_t r = 0; r < 8; ++r) t.push_back(Make(6, r, 1000 + r * 1234u, kOptAuto));
    // Frequency: every range of function 2.
    for (std::uint8_t r = 0; r < 8; ++r) t.push_back(Make(2, r, 5000 + r * 1500u, kOptAuto));
    // Duty in each function that shows it.
    for (std::uint8_t f :
         {std::uint8_t{0}, std::uint8_t{2}, std::uint8_t{11}, std::uint8_t{13}, std::uint8_t{15}}) {
        MeterFrame d = Make(f, 0, 5000, f == 2 ? kOptAuto : dcAuto);
        d.duty = true;
        t.push_back(d);
    }
    MeterFrame dutyOver = Make(2, 0, 0, kOptAuto);
    dutyOver.dutyOverload = true;
    t.push_back(dutyOver);
    // The option-3 codes for frequency and duty on the voltage function.
    t.push_back(Make(11, 0, 6000, 7));  // frequency, Hz
    t.push_back(Make(11, 0, 2500, 9));  // duty
    for (std::uint8_t r : {std::uint8_t{0}, std::uint8_t{3}, std::uint8_t{5}}) {
        t.push_back(Make(11, r, 5000, 11));  // frequency by range
    }
    return t;
}

MeterFrame SweepFrame(std::uint64_t index, unsigned steps) {
    const std::uint64_t cycle = 2ull * steps;
    const std::uint64_t at = index % cycle;
    const double p = static_cast<double>(at <= steps ? at : cycle - at) / steps;
    const double volts = std::pow(10.0, -3.0 + 6.0 * p);  // 1 mV .. 1000 V
    // The smallest range that holds the value: 220.00 mV, 2.2000 V, 22.000 V,
    // 220.00 V, 2200.0 V.
    struct Range {
        std::uint8_t code;
        double full;
        double perCount;
    };
    static const Range ranges[] = {
        {4, 0.22, 1e-5}, {0, 2.2, 1e-4}, {1, 22, 1e-3}, {2, 220, 1e-2}, {3, 2200, 1e-1}};
    const Range* chosen = &ranges[4];
    for (const Range& r : ranges) {
        if (volts < r.full) {
            chosen = &r;
            break;
        }
    }
    unsigned counts = static_cast<unsigned>(std::lround(volts / chosen->perCount));
    if (counts > 21999) counts = 21999;
    return Make(11, chosen->code, counts, kOptDC | kOptAuto);
}

MeterFrame SteadyFrame() {
    return Make(11, 0, 12345, kOptDC | kOptAuto);
}

MeterFrame RandomFrame(SimRandom& random) {
    const FunctionRanges& f = kFunctions[random.below(std::size(kFunctions))];
    MeterFrame s;
    s.function = f.function;
    s.range = static_cast<std::uint8_t>(random.below(f.ranges));
    for (auto& d : s.digits) d = static_cast<std::uint8_t>(random.below(10));
    s.minus = random.chance(0.25);
    s.battery = random.chance(0.05);
    s.overload = random.chance(0.05);
    s.rel = random.chance(0.1);
    s.hold = random.chance(0.1);
    s.duty = random.chance(0.1);
    s.dutyOverload = random.chance(0.02);
    s.option3 = static_cast<std::uint8_t>(random.below(16));
    return s;
}

std::optional<Scenario> ParseScenario(const std::string& name) {
    if (name == "tour") return Scenario::Tour;
    if (name == "sweep") return Scenario::Sweep;
    if (name == "steady") return Scenario::Steady;
    if (name == "random") return Scenario::Random;
    return std::nullopt;
}

namespace {

class TourSource : public FrameSource {
  public:
    std::optional<Bytes> next() override {
        const MeterFrame& s = frames_[at_];
        at_ = (at_ + 1) % frames_.size();
        return FrameBytes(s);
    }

  private:
    std::vector<MeterFrame> frames_ = TourFrames();
    std::size_t at_ = 0;
};

class SweepSource : public FrameSource {
  public:
    std::optional<Bytes> next() override { return FrameBytes(SweepFrame(index_++)); }

  private:
    std::uint64_t index_ = 0;
};

class SteadySource : public FrameSource {
  public:
    std::optional<Bytes> next() override { return FrameBytes(SteadyFrame()); }
};

class RandomSource : public FrameSource {
  public:
    explicit RandomSource(std::uint64_t seed) : random_(seed) {}
    std::optional<Bytes> next() override { return FrameBytes(RandomFrame(random_)); }

  private:
    SimRandom random_;
};

class ReplaySource : public FrameSource {
  public:
    explicit ReplaySource(std::vector<Bytes> steps) : steps_(std::move(steps)) {}
    std::optional<Bytes> next() override {
        if (at_ >= steps_.size()) return std::nullopt;
        return steps_[at_++];
    }

  private:
    std::vector<Bytes> steps_;
    std::size_t at_ = 0;
};

}  // namespace

std::unique_ptr<FrameSource> MakeScenarioSource(Scenario scenario, std::uint64_t seed) {
    switch (scenario) {
        case Scenario::Sweep:
            return std::make_unique<SweepSource>();
        case Scenario::Steady:
            return std::make_unique<SteadySource>();
        case Scenario::Random:
            return std::make_unique<RandomSource>(seed);
        case Scenario::Tour:
            break;
    }
    return std::make_unique<TourSource>();
}

std::vector<Bytes> SplitCapture(const Bytes& capture) {
    std::vector<Bytes> steps;
    Bytes step;
    for (std::size_t i = 0; i < capture.size(); ++i) {
        step.push_back(capture[i]);
        if (capture[i] == 0x0A && i > 0 && capture[i - 1] == 0x0D) {
            steps.push_back(std::move(step));
            step.clear();
        }
    }
    if (!step.empty()) steps.push_back(std::move(step));
    return steps;
}

std::unique_ptr<FrameSource> MakeReplaySource(std::vector<Bytes> steps) {
    return std::make_unique<ReplaySource>(std::move(steps));
}

}  // namespace varlo::sim
