#include "sim/Noise.h"

namespace varlo::sim {

std::string FormatCorruption(const Corruption& c) {
    static const char* const kinds[] = {"flip", "drop", "insert"};
    return "frame " + std::to_string(c.frame) + " offset " + std::to_string(c.offset) + " " +
           kinds[static_cast<int>(c.kind)];
}

NoiseInjector::NoiseInjector(double probability, std::uint64_t seed)
    : probability_(probability), random_(seed) {}

Bytes NoiseInjector::apply(std::uint64_t frame, const Bytes& clean, std::vector<Corruption>& log) {
    if (probability_ <= 0) return clean;
    Bytes out;
    out.reserve(clean.size() + 2);
    bool touched = false;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        if (!random_.chance(probability_)) {
            out.push_back(clean[i]);
            continue;
        }
        const auto kind = static_cast<CorruptionKind>(random_.below(3));
        switch (kind) {
            case CorruptionKind::Flip:
                out.push_back(static_cast<std::uint8_t>(clean[i] ^ (1u << random_.below(7))));
                break;
            case CorruptionKind::Drop:
                break;
            case CorruptionKind::Insert:
                out.push_back(static_cast<std::uint8_t>(random_.below(128)));
                out.push_back(clean[i]);
                break;
        }
        log.push_back({frame, i, kind});
        ++bytes_;
        touched = true;
    }
    if (touched) ++frames_;
    return out;
}

}  // namespace varlo::sim
