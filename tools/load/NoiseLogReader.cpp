#include "NoiseLogReader.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace varlo::load {

std::vector<NoiseEntry> ParseNoiseLog(std::istream& in, const std::string& name) {
    std::vector<NoiseEntry> entries;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string frameWord, offsetWord, kind, extra;
        long long frame = -1;
        long long offset = -1;
        words >> frameWord >> frame >> offsetWord >> offset >> kind;
        NoiseEntry entry;
        bool good = !words.fail() && !(words >> extra) && frameWord == "frame" &&
                    offsetWord == "offset" && frame >= 0 && offset >= 0;
        if (kind == "flip") {
            entry.kind = NoiseEntry::Kind::Flip;
        } else if (kind == "drop") {
            entry.kind = NoiseEntry::Kind::Drop;
        } else if (kind == "insert") {
            entry.kind = NoiseEntry::Kind::Insert;
        } else {
            good = false;
        }
        if (!good) {
            throw std::runtime_error(name + ":" + std::to_string(number) +
                                     ": not \"frame INDEX offset K flip|drop|insert\"");
        }
        entry.frame = static_cast<std::uint64_t>(frame);
        entry.offset = static_cast<std::size_t>(offset);
        entries.push_back(entry);
    }
    return entries;
}

std::vector<NoiseEntry> ReadNoiseLog(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    return ParseNoiseLog(in, path);
}

NoiseMarks::NoiseMarks(const std::vector<NoiseEntry>& entries) : entries_(entries.size()) {
    for (const NoiseEntry& entry : entries) {
        marked_.insert(entry.frame);
        ++byKind_[static_cast<int>(entry.kind)];
    }
}

}  // namespace varlo::load
